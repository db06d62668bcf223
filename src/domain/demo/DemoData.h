#pragma once

// Shared pieces of the demo generator (not used outside src/demo).

#include "database/SqlValue.h"

#include <QString>
#include <QStringList>

namespace liqiva {

class Connection;

namespace demo {

// Years of the demo and the counter kinds' growth over them.
constexpr int kFirstYear = 2023;
constexpr int kLastYear = 2025;
constexpr int kYears = kLastYear - kFirstYear + 1;

// Per-company key blocks: a company's rows of a table take the keys
// (company - 1) * stride + local, local counting from 1.
constexpr int kActivities = 4;                       // AttivitaAzienda
constexpr int kBranches = 5;                         // Filiale
constexpr int kActivityYears = kActivities * kYears; // AttivitaAziendaPerPeriodoIva

inline int companyKey(int company, int stride, int local)
{
    return (company - 1) * stride + local;
}
inline int activityKey(int company, int activity)
{
    return companyKey(company, kActivities, activity);
}
inline int branchKey(int company, int branch)
{
    return companyKey(company, kBranches, branch);
}
inline int vatYearKey(int company, int year)
{
    return companyKey(company, kYears, year - kFirstYear + 1);
}
inline int activityYearKey(int company, int year, int activity)
{
    return companyKey(company, kActivityYears, (year - kFirstYear) * kActivities + activity);
}

// The activity each branch belongs to (branch 4 is the retail activity's second shop).
constexpr int kBranchActivity[kBranches] = {1, 2, 3, 1, 4};

// The pro-rata percentage stored for the training activity in its first VAT year; later
// years take the actual percentage of the year before, from the counters.
constexpr int kFirstProRata = 40;

// The values of a row, bound to the statement that writes it.
QVariant lit(int value);
QVariant lit(double value);
QVariant lit(const QString &text);
QVariant litDate(int year, int month, int day, const Connection &db);
inline QVariant nul()
{
    return QVariant();
}
inline QVariant litOrNull(int value)
{
    return value ? lit(value) : nul();
}

// Inserts many rows into one table with multi-row INSERT statements. Given the columns'
// PostgreSQL types ("integer", "numeric"; numbers and NULL only), the rows go to PostgreSQL
// as one array per column unnested into the table, which the server reads about three
// times faster than a list of rows.
class BatchInsert {
public:
    BatchInsert(Connection &db, const QString &table, const QStringList &columns, int rowsPerStatement = 500,
                const QStringList &postgresArrayTypes = {});
    BatchInsert(const BatchInsert &) = delete;
    BatchInsert &operator=(const BatchInsert &) = delete;

    // values: one per column, in the order of the columns.
    void add(const QVariantList &values);
    // Writes the rows still pending; call before the batch goes out of scope.
    void flush();
    long long rows() const { return m_rows; }

private:
    Connection &m_db;
    QString m_head;
    int m_columns;
    int m_perStatement;
    QStringList m_arrayTypes; // empty: a list of rows
    QString m_values;
    SqlParams m_params;
    QStringList m_arrays; // one per column
    int m_pending = 0;
    long long m_rows = 0;
};

// The counters of one company for every month of the demo years, the December advance
// rows included, with keys from firstKey on. Returns the number of rows written. The
// amounts are scaled by factor (1 for the first company).
long long insertCounters(Connection &db, int company, double factor, int firstKey);

// The actual pro-rata percentage of the training activity for a year of its counters
// (whole number; kFirstProRata before the first demo year).
int trainingProRata(int year);

} // namespace demo
} // namespace liqiva
