#include "domain/engine/ReportHeader.h"

#include "database/SqlValue.h"
#include "suite/Rounding.h"

#include <QDateTime>

namespace liqiva {

void ReportHeader::set(const QString &column, const QVariant &value)
{
    const auto it = m_index.constFind(column);
    if (it != m_index.constEnd()) {
        m_columns[*it].second = value;
        return;
    }
#ifndef QT_NO_DEBUG
    for (const auto &c : std::as_const(m_columns))
        Q_ASSERT_X(c.first.compare(column, Qt::CaseInsensitive) != 0, "ReportHeader", qPrintable(column));
#endif
    if (m_columns.isEmpty()) {
        m_columns.reserve(128);
        m_index.reserve(128);
    }
    m_index.insert(column, int(m_columns.size()));
    m_columns.append({column, value});
}

QVariant ReportHeader::value(const QString &column) const
{
    const auto it = m_index.constFind(column);
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

SqlStatement ReportHeader::updateSql(int idCampoReportLiquidazioneIva, Engine /*engine*/) const
{
    SqlStatement s;
    s.text.reserve(40 * m_columns.size() + 100);
    s.params.reserve(m_columns.size() + 1);
    s.text += u"UPDATE CampoReportLiquidazioneIva SET "_qs;
    for (qsizetype k = 0; k < m_columns.size(); ++k) {
        if (k > 0)
            s.text += u", "_qs;
        // A NULL is bound as well: the text stays the same from fill to fill and the
        // connection runs it on the statement it prepared the first time.
        s.text += m_columns[k].first;
        s.text += u" = ?"_qs;
        s.params << reportParam(m_columns[k].second);
    }
    s.text += u" WHERE IDCampoReportLiquidazioneIva = ?"_qs;
    s.params << QVariant(idCampoReportLiquidazioneIva);
    return s;
}

QVariant reportParam(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return QVariant();
    if (value.metaType() == QMetaType::fromType<Money>())
        return sqlValue(value.value<Money>());
    switch (value.typeId()) {
    case QMetaType::QString:
    case QMetaType::QDateTime:
    case QMetaType::QDate:
        return value;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Bool:
        return QVariant(value.toLongLong());
    default:
        return sqlValue(value.toDouble());
    }
}

SqlStatement reportValue(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return u"NULL"_qs;
    return sqlParam(reportParam(value));
}

} // namespace liqiva
