#pragma once

#include "database/Engine.h"
#include "suite/Money.h"
#include "suite/Percent.h"
#include "suite/Rounding.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

namespace liqiva {

// The header record of a settlement's report (CampoReportLiquidazioneIva) as the rebuild
// computes it: the columns the engine owns, in the order they were first set, each a number,
// a text, a date or NULL. Written with one UPDATE at the end of the rebuild.
//
// Columns are looked up by name as written, case and all: the engine spells each column one
// way (a debug build checks that no two spellings differ in case only), and a lookup then
// costs no copy of the name.
class ReportHeader {
public:
    void set(const QString &column, const QVariant &value);
    void set(const QString &column, Money amount) { set(column, QVariant::fromValue(amount)); }
    // A percentage is stored with the four decimals of the currency columns.
    void set(const QString &column, Percent rate) { set(column, rate.toMoney()); }
    void setNull(const QString &column) { set(column, QVariant()); }
    // A column set to NULL, or never set, reads as 0 here.
    Money amount(const QString &column) const;
    bool isNull(const QString &column) const;
    bool contains(const QString &column) const { return m_index.contains(column); }
    QVariant value(const QString &column) const;
    // Sets a column to 0 when it is NULL.
    void zeroIfNull(const QString &column);

    int size() const { return int(m_columns.size()); }
    // "UPDATE CampoReportLiquidazioneIva SET ... WHERE IDCampoReportLiquidazioneIva = key"
    SqlStatement updateSql(int idCampoReportLiquidazioneIva, Engine engine) const;

private:
    QList<std::pair<QString, QVariant>> m_columns;
    QHash<QString, int> m_index; // name -> position
};

// Any value the engine writes, bound in its place (amounts exactly, dates in the engine's
// form), NULL for a null value.
SqlStatement reportValue(const QVariant &value);
// The value bound for it: an amount as an exact decimal, a date as is, NULL as NULL.
QVariant reportParam(const QVariant &value);

} // namespace liqiva
