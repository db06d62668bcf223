#include "database/RowState.h"

namespace liqiva {

namespace {
QString column(const QString &table)
{
    return table.isEmpty() ? u"VirtualDelete"_qs : table + u".VirtualDelete"_qs;
}
} // namespace

QString RowState::equals(int state, const QString &table)
{
    return column(table) + u" = "_qs + QString::number(state); // a state of the code, never a value
}

QString RowState::liveOrWorking(const QString &table)
{
    return u"("_qs + equals(Live, table) + u" OR "_qs + equals(Working, table) + u")"_qs;
}

QString RowState::notCopy(const QString &table)
{
    return column(table) + u" >= 0"_qs;
}

} // namespace liqiva
