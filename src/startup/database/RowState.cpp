#include "startup/database/RowState.h"

#include "startup/database/SqlLiteral.h"

namespace liqiva {

namespace {
QString column(const QString &table)
{
    return table.isEmpty() ? u"VirtualDelete"_qs : table + u".VirtualDelete"_qs;
}
} // namespace

QString RowState::equals(int state, const QString &table)
{
    return column(table) + u" = "_qs + sqlNumber(state);
}

QString RowState::liveOrWorking(const QString &table)
{
    return u"("_qs + equals(Live, table) + u" OR "_qs + equals(Working, table) + u")"_qs;
}

QString RowState::notCopy(const QString &table)
{
    return column(table) + u" >= 0"_qs;
}

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
