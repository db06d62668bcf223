#include "suite/UtilityServices.h"

#include "database/Connection.h"
#include "database/Recordset.h"
#include "database/SqlValue.h"
#include "suite/Rounding.h"

#include <cmath>

namespace liqiva {

void UtilityServices::applyWindowStyle(QObject &) {}

bool UtilityServices::hasRight(int idUser, int idFunction, Connection &db)
{
    const QVariant type =
        db.scalar(u"SELECT IDTipoOggetto FROM Funzione WHERE IDFunzione = ?"_qs, {sqlValue(idFunction)});
    if (type.isNull())
        return false;
    const SqlStatement objectTypes = u" AND IDTipoOggetto IN (1,"_qs + sqlParam(type.toLongLong()) + u")"_qs;
    const SqlStatement sql =
        u"SELECT IDAzione FROM AbilitaPerTipoOggettoPerUtente"_qs
        u" WHERE VirtualDelete = 0"_qs +
        objectTypes + u" AND IDUtente = "_qs + sqlParam(idUser) +
        u" AND IDAzione >= 1 AND IDAzione <= 5"_qs
        u" UNION"_qs
        u" SELECT IDAzione FROM AbilitaPerTipoOggettoPerGruppo"_qs
        u" WHERE VirtualDelete = 0"_qs +
        objectTypes +
        u" AND IDAzione >= 1 AND IDAzione <= 5"_qs
        u" AND IDGruppo IN (SELECT IDGruppo FROM UtentePerGruppo WHERE VirtualDelete = 0 AND IDUtente = "_qs +
        sqlParam(idUser) + u")"_qs;
    Recordset rs = db.openRecordset(sql);
    return !rs.eof();
}

QString UtilityServices::chosenKey(const QVariant &boundKey)
{
    if (!boundKey.isValid() || boundKey.isNull())
        return {};
    bool ok = false;
    const double d = boundKey.toDouble(&ok);
    if (ok && std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 9.0e15)
        return QString::number(static_cast<long long>(d));
    return boundKey.toString().trimmed();
}

void UtilityServices::prepareDesktopEngine(const QString &) {}

} // namespace liqiva
