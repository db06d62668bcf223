#pragma once

#include "suite/Money.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace liqiva {

class Connection;

// The sections of the report rows, in the order the rebuild fills them.
enum class ReportSection { Purchases = 0, Sales = 1, Receipts = 2, Ventilation = 3 };

// One amount pair of a row: the taxable column and the VAT column with their values.
struct AmountPair {
    QString taxableColumn;
    QString vatColumn;
};

// The report rows of one settlement (RigaReportLiquidazioneIva) while the rebuild computes
// them: one row per VAT code, each section filling its own columns. The rows are kept in
// memory and written with a few multi-row INSERTs at the end, so a rebuild costs no round
// trip per VAT code.
//
// A row read back from the table is exactly what the statement-per-row procedure leaves:
// after each section the columns of the sections filled so far are 0 instead of NULL on the
// rows that existed at that moment, and the derived totals (ImpAcquisti, VenditeComplessivo...)
// are computed on those rows; rows that first appear in a later section keep NULL there.
// Split-payment sales columns and the ventilation columns are never zeroed.
class ReportRows {
public:
    // Upserts the row of a VAT code: its description column and one amount pair.
    void put(int idIva, const QString &descriptionColumn, const QString &description,
             const QString &taxableColumn, Money taxable, const QString &vatColumn, Money vat);
    // Sets one more column of an existing row (the ventilation writes five).
    void setValue(int idIva, const QString &column, const QVariant &value);

    // Closes a section: zeroes its columns where NULL and computes its derived totals on
    // every row that exists now.
    void closeSection(ReportSection section);

    // Writes the rows of a settlement; returns how many. The keys are taken as a block after
    // the largest key of the table, which the INSERT reads itself: inside the rebuild's
    // transaction, which runs again when another user took the same keys meanwhile.
    int insert(Connection &db, int idRisultatoLiquidazioneIva) const;

    int count() const { return int(m_rows.size()); }
    // The VAT codes of the rows, ascending.
    QList<int> ids() const;
    bool contains(int idIva) const { return m_index.contains(idIva); }
    // The value of a column of a row (NULL when never set), for the tests and the totals.
    QVariant value(int idIva, const QString &column) const;

    // The amount columns of each section, in the order of their counter queries.
    static const QList<AmountPair> &purchasePairs();
    static const QList<AmountPair> &salesPairs(); // the 14 pairs, split-payment ones last
    static const QStringList &allColumns();       // every column the rows may carry

private:
    struct Row {
        int idIva = 0;
        QHash<QString, QVariant> values; // by column name as written in allColumns()
    };
    Row &rowOf(int idIva);

    QList<Row> m_rows;
    QHash<int, int> m_index; // IDIva -> position
};

} // namespace liqiva
