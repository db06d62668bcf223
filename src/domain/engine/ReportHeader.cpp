#include "domain/engine/ReportHeader.h"

#include "database/SqlValue.h"
#include "suite/Rounding.h"

#include <QDateTime>

namespace liqiva {

void ReportHeader::set(const QString &column, const QVariant &value)
{
    const QString key = column.toLower();
    const auto it = m_index.constFind(key);
    if (it != m_index.constEnd()) {
        m_columns[*it].second = value;
        return;
    }
    m_index.insert(key, int(m_columns.size()));
    m_columns.append({column, value});
}

QVariant ReportHeader::value(const QString &column) const
{
    const auto it = m_index.constFind(column.toLower());
    return it == m_index.constEnd() ? QVariant() : m_columns[*it].second;
}

Money ReportHeader::amount(const QString &column) const
{
    return Money::fromVariant(value(column));
}

bool ReportHeader::isNull(const QString &column) const
{
    return value(column).isNull();
}

void ReportHeader::zeroIfNull(const QString &column)
{
    if (isNull(column))
        set(column, Money());
}

SqlStatement ReportHeader::updateSql(int idCampoReportLiquidazioneIva, Engine engine) const
{
    SqlStatement s = u"UPDATE CampoReportLiquidazioneIva SET "_qs;
    for (qsizetype k = 0; k < m_columns.size(); ++k) {
        if (k > 0)
            s += u", "_qs;
        // A NULL is bound as well: the text stays the same from fill to fill and the
        // connection runs it on the statement it prepared the first time.
        const QVariant &v = m_columns[k].second;
        s += m_columns[k].first + u" = "_qs + (v.isNull() || !v.isValid() ? sqlParam(QVariant()) : reportValue(v));
    }
    s += u" WHERE IDCampoReportLiquidazioneIva = "_qs + sqlParam(idCampoReportLiquidazioneIva);
    return s;
}

SqlStatement reportValue(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return u"NULL"_qs;
    if (value.metaType() == QMetaType::fromType<Money>())
        return sqlParam(value.value<Money>());
    switch (value.typeId()) {
    case QMetaType::QString:
        return sqlParam(value.toString());
    case QMetaType::QDateTime:
        return sqlParam(value.toDateTime());
    case QMetaType::QDate:
        return sqlParam(value.toDate());
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Bool:
        return sqlParam(value.toLongLong());
    default:
        return sqlParam(value.toDouble());
    }
}


} // namespace liqiva
