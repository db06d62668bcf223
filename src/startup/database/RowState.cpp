#include "startup/database/RowState.h"

#include "startup/database/SqlLiteral.h"

namespace liqiva {

QString Audit::columns()
{
    return QStringLiteral(", DataUltimaVariazione, IDUtenteUltimaVariazione");
}

QString Audit::values() const
{
    return u", "_qs + sqlDate(QDateTime::currentDateTime(), engine) + u", "_qs + sqlNumber(idUser);
}

QString Audit::assignments() const
{
    return u"DataUltimaVariazione = "_qs + sqlDate(QDateTime::currentDateTime(), engine)
        + u", IDUtenteUltimaVariazione = "_qs + sqlNumber(idUser);
}

} // namespace liqiva
