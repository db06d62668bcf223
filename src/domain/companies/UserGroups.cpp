#include "domain/companies/UserGroups.h"

#include "domain/companies/RowWriter.h"
#include "domain/document/CompanyDirectory.h"
#include "database/Connection.h"
#include "suite/Refusal.h"

namespace liqiva {

namespace {

// (action, object type) per group; 0 stands for the settlement's object type.
struct Grant {
    int action;
    int objectType;
};

std::vector<Grant> grantsOf(const QString &group)
{
    if (group == Groups::Search)
        return {{4, 0}};
    if (group == Groups::Work)
        return {{2, 0}, {4, 0}, {5, 0}};
    return {{1, 1}};
}

const QStringList &groupNames()
{
    static const QStringList names = {Groups::Search, Groups::Work, Groups::Admin};
    return names;
}

void lockUsers(Connection &db)
{
    // Two administrators changing the users at once: the second waits and sees the first's work.
    if (db.engine() == Engine::Postgres)
        db.executeRaw(u"LOCK TABLE Utente, Gruppo, UtentePerGruppo IN EXCLUSIVE MODE"_qs);
}

} // namespace

int UserGroups::groupKey(const QString &name)
{
    const QVariant key = m_db.scalar(
        u"SELECT MIN(IDGruppo) FROM Gruppo WHERE LOWER(Gruppo) = ? AND VirtualDelete = 0"_qs, {name.toLower()});
    return key.isNull() ? 0 : key.toInt();
}

void UserGroups::grantInBranch(RowWriter &w, int branch)
{
    CompanyDirectory directory(m_db);
    const int settlementType = directory.objectTypeOfFunction(directory.settlementFunction());
    for (const QString &name : groupNames()) {
        const int group = groupKey(name);
        if (!group)
            continue;
        for (const Grant &g : grantsOf(name))
            w.insert(u"AbilitaPerTipoOggettoPerGruppo"_qs, u"IDAbilitaPerTipoOggettoPerGruppo"_qs,
                     {u"IDAzione"_qs, u"IDTipoOggetto"_qs, u"IDFiliale"_qs, u"IDGruppo"_qs},
                     {g.action, g.objectType ? g.objectType : settlementType, branch, group});
    }
}

void UserGroups::ensureGroups(RowWriter &w)
{
    CompanyDirectory directory(m_db);
    const int settlementType = directory.objectTypeOfFunction(directory.settlementFunction());
    std::vector<int> branches;
    for (Recordset rs =
             m_db.openRecordset(u"SELECT IDFiliale FROM Filiale WHERE VirtualDelete = 0 ORDER BY IDFiliale"_qs);
         !rs.eof(); rs.moveNext())
        branches.push_back(rs.integer(u"IDFiliale"_qs));
    for (const QString &name : groupNames()) {
        if (groupKey(name))
            continue;
        std::vector<int> admins;
        if (name == Groups::Admin) {
            for (Recordset rs = m_db.openRecordset(
                     u"SELECT DISTINCT UtentePerGruppo.IDUtente FROM UtentePerGruppo INNER JOIN "
                     u"AbilitaPerTipoOggettoPerGruppo ON UtentePerGruppo.IDGruppo = "
                     u"AbilitaPerTipoOggettoPerGruppo.IDGruppo "
                     u"WHERE AbilitaPerTipoOggettoPerGruppo.IDAzione = 1 AND "
                     u"AbilitaPerTipoOggettoPerGruppo.IDTipoOggetto = 1 "
                     u"AND UtentePerGruppo.VirtualDelete = 0 AND AbilitaPerTipoOggettoPerGruppo.VirtualDelete = 0 "
                     u"UNION SELECT IDUtente FROM AbilitaPerTipoOggettoPerUtente WHERE IDAzione = 1 AND IDTipoOggetto "
                     u"= 1 "
                     u"AND VirtualDelete = 0"_qs);
                 !rs.eof(); rs.moveNext())
                admins.push_back(rs.field(0).toInt());
        }
        const int group = w.insert(u"Gruppo"_qs, u"IDGruppo"_qs, {u"Gruppo"_qs}, {name});
        for (int branch : branches)
            for (const Grant &g : grantsOf(name))
                w.insert(u"AbilitaPerTipoOggettoPerGruppo"_qs, u"IDAbilitaPerTipoOggettoPerGruppo"_qs,
                         {u"IDAzione"_qs, u"IDTipoOggetto"_qs, u"IDFiliale"_qs, u"IDGruppo"_qs},
                         {g.action, g.objectType ? g.objectType : settlementType, branch, group});
        for (int user : admins)
            w.insert(u"UtentePerGruppo"_qs, u"IDUtentePerGruppo"_qs, {u"IDGruppo"_qs, u"IDUtente"_qs}, {group, user});
    }
}

bool UserGroups::isAdministrator(int user)
{
    return m_db.scalar(u"SELECT COUNT(*) FROM UtentePerGruppo INNER JOIN Gruppo ON UtentePerGruppo.IDGruppo = "
                       u"Gruppo.IDGruppo WHERE UtentePerGruppo.IDUtente = ? AND LOWER(Gruppo.Gruppo) = ? AND "
                       u"UtentePerGruppo.VirtualDelete = 0 AND Gruppo.VirtualDelete = 0"_qs,
                       {user, Groups::Admin})
               .toInt() > 0;
}

int UserGroups::userCount()
{
    return m_db.scalar(u"SELECT COUNT(*) FROM Utente WHERE VirtualDelete = 0"_qs).toInt();
}

namespace {

// Refuses a group that is not one of the three.
void requireGroup(const QString &group)
{
    if (!groupNames().contains(group))
        throw Refusal(QStringLiteral("Il gruppo \"%1\" non esiste: i gruppi sono %2. Nulla è stato cambiato.")
                          .arg(group, groupNames().join(u", "_qs)));
}

} // namespace

int UserGroups::addUser(const QString &name, const QString &group, int byUser)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > 50)
        throw Refusal(u"Il nome dell'utente deve avere da 1 a 50 caratteri: nulla è stato cambiato."_qs);
    for (QChar c : trimmed)
        if (c.category() == QChar::Other_Control)
            throw Refusal(u"Il nome dell'utente non può contenere caratteri di controllo: nulla è stato cambiato."_qs);
    requireGroup(group);
    Transaction tx(m_db);
    lockUsers(m_db);
    RowWriter w(m_db, byUser);
    ensureGroups(w);
    const bool first = userCount() == 0;
    if (!m_db.scalar(u"SELECT MIN(IDUtente) FROM Utente WHERE LOWER(Utente) = ? AND VirtualDelete = 0"_qs,
                     {trimmed.toLower()})
             .isNull())
        throw Refusal(QStringLiteral("L'utente \"%1\" esiste già: nulla è stato cambiato.").arg(trimmed));
    const int user = w.insert(u"Utente"_qs, u"IDUtente"_qs, {u"Utente"_qs}, {trimmed});
    w.insert(u"UtentePerGruppo"_qs, u"IDUtentePerGruppo"_qs, {u"IDGruppo"_qs, u"IDUtente"_qs},
             {groupKey(first ? Groups::Admin : group), user});
    tx.commit();
    return user;
}

void UserGroups::setMembership(int member, const QString &group, bool remove, int byUser)
{
    requireGroup(group);
    Transaction tx(m_db);
    lockUsers(m_db);
    RowWriter w(m_db, byUser);
    ensureGroups(w);
    if (m_db.scalar(u"SELECT COUNT(*) FROM Utente WHERE IDUtente = ? AND VirtualDelete = 0"_qs, {member}).toInt() == 0)
        throw Refusal(QStringLiteral("L'utente %1 non esiste: nulla è stato cambiato.").arg(member));
    const int key = groupKey(group);
    const int already = m_db.scalar(u"SELECT COUNT(*) FROM UtentePerGruppo WHERE IDUtente = ? AND IDGruppo = ? AND "
                                    u"VirtualDelete = 0"_qs,
                                    {member, key})
                            .toInt();
    if (!remove) {
        if (!already)
            w.insert(u"UtentePerGruppo"_qs, u"IDUtentePerGruppo"_qs, {u"IDGruppo"_qs, u"IDUtente"_qs}, {key, member});
        tx.commit();
        return;
    }
    if (!already)
        throw Refusal(
            QStringLiteral("L'utente %1 non è nel gruppo %2: nulla è stato cambiato.").arg(member).arg(group));
    if (group == Groups::Admin &&
        m_db.scalar(u"SELECT COUNT(DISTINCT IDUtente) FROM UtentePerGruppo WHERE IDGruppo = ? AND VirtualDelete = 0"_qs,
                    {key})
                .toInt() <= 1)
        throw Refusal(QStringLiteral("L'utente %1 è l'ultimo amministratore e non può essere tolto dal gruppo %2: "
                                     "prima un altro utente va messo nel gruppo. Nulla è stato cambiato.")
                          .arg(member)
                          .arg(group));
    m_db.execute(u"DELETE FROM UtentePerGruppo WHERE IDUtente = ? AND IDGruppo = ?"_qs, {member, key});
    tx.commit();
}

} // namespace liqiva
