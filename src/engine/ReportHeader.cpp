#include "engine/ReportHeader.h"

#include "startup/database/SqlLiteral.h"
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

QString ReportHeader::updateSql(int idCampoReportLiquidazioneIva, Engine engine) const
{
    QString s = u"UPDATE CampoReportLiquidazioneIva SET "_qs;
    for (qsizetype k = 0; k < m_columns.size(); ++k) {
        if (k > 0)
            s += u", "_qs;
        s += m_columns[k].first + u" = "_qs + sqlValue(m_columns[k].second, engine);
    }
    s += u" WHERE IDCampoReportLiquidazioneIva = "_qs + sqlNumber(idCampoReportLiquidazioneIva);
    return s;
}

QString sqlValue(const QVariant &value, Engine engine)
{
    if (value.isNull() || !value.isValid())
        return u"NULL"_qs;
    if (value.metaType() == QMetaType::fromType<Money>())
        return value.value<Money>().toString();
    switch (value.typeId()) {
    case QMetaType::QString:
        return sqlText(value.toString());
    case QMetaType::QDateTime:
        return sqlDate(value.toDateTime(), engine);
    case QMetaType::QDate:
        return sqlDate(value.toDate(), engine);
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Bool:
        return sqlNumber(value.toLongLong());
    default:
        return sqlNumber(value.toDouble());
    }
}


} // namespace liqiva
