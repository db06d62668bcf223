#include "suite/rights/UserRights.h"

#include "database/Connection.h"
#include "database/SqlValue.h"

#include <QStringList>

namespace liqiva {

void UserRights::grant(int action)
{
    if (action == 1) {
        for (int k = 1; k <= 4; ++k)
            m_flags[k] = true;
    } else if (action >= 2 && action <= 5) {
        m_flags[action - 1] = true;
    }
}

UserRights UserRights::all()
{
    UserRights r;
    r.grant(1);
    return r;
}

UserRights UserRights::read(Connection &db, int idUser, int idBranch, int objectType)
{
    return Reader(db, idUser, objectType).in(idBranch);
}

UserRights::Reader::Reader(Connection &db, int idUser, int objectType)
    : m_db(db), m_idUser(idUser), m_objectType(objectType)
{
    for (Recordset rs = db.openRecordset(
             u"SELECT IDGruppo FROM UtentePerGruppo WHERE IDUtente = ? AND VirtualDelete = 0"_qs, {idUser});
         !rs.eof(); rs.moveNext())
        m_groups << rs.integer(u"IDGruppo"_qs);
}

UserRights UserRights::Reader::in(int idBranch)
{
    const SqlParams &groups = m_groups;
    const int objectType = m_objectType;
    const int idUser = m_idUser;
    SqlStatement sql;
    // A user without a group: the group half is left out (an empty IN list is not SQL).
    if (!groups.isEmpty())
        sql = u"SELECT DISTINCT"_qs + u" IDAzione"_qs + u" FROM"_qs + u" AbilitaPerTipoOggettoPerGruppo"_qs +
              u" WHERE"_qs + u" VirtualDelete = 0"_qs + u" AND IDTipoOggetto IN (1,"_qs + sqlParam(objectType) +
              u")"_qs + u" AND IDFiliale = "_qs + sqlParam(idBranch) + u" AND IDGruppo IN ( "_qs + sqlList(groups) +
              u" ) "_qs + u" UNION "_qs;
    sql += u"SELECT DISTINCT"_qs + u" IDAzione"_qs + u" FROM"_qs + u" AbilitaPerTipoOggettoPerUtente"_qs +
           u" WHERE"_qs + u" VirtualDelete = 0"_qs + u" AND IDTipoOggetto IN (1,"_qs + sqlParam(objectType) + u")"_qs +
           u" AND IDFiliale = "_qs + sqlParam(idBranch) + u" AND IDUtente = "_qs + sqlParam(idUser);

    UserRights rights;
    for (Recordset rs = m_db.openRecordset(sql); !rs.eof(); rs.moveNext())
        rights.grant(rs.integer(u"IDAzione"_qs));
    return rights;
}

bool UserRights::has(const QString &right) const
{
    if (right == NewSave)
        return newSave();
    if (right == Delete)
        return canDelete();
    if (right == Search)
        return search();
    if (right == Print)
        return print();
    return false;
}

QString UserRights::refusal(const QString &right, int idUser, int idBranch, int idAzienda)
{
    return refusal(right) + QStringLiteral(" L'utente %1 non ha questo diritto nella filiale %2 dell'azienda %3: "
                                           "chiedere all'amministratore di concederlo.")
                                .arg(idUser)
                                .arg(idBranch)
                                .arg(idAzienda);
}

QString UserRights::refusal(const QString &right)
{
    QString what;
    if (right == NewSave)
        what = u"creare o salvare la liquidazione I.V.A."_qs;
    else if (right == Delete)
        what = u"eliminare la liquidazione I.V.A."_qs;
    else if (right == Search)
        what = u"cercare e consultare le liquidazioni I.V.A."_qs;
    else if (right == Print)
        what = u"stampare la liquidazione I.V.A."_qs;
    else
        what = right;
    return u"Diritti non sufficienti per "_qs + what;
}

} // namespace liqiva
