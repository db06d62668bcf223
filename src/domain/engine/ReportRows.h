#pragma once

#include "database/SqlValue.h"
#include "suite/Money.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
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
//
// A row keeps its columns in fixed places numbered as allColumns() lists them: the rebuild
// touches every row dozens of times, and a lookup by name per touch was most of its cost.
class ReportRows {
public:
    // Upserts the row of a VAT code: its description column and one amount pair.
    void put(int idIva, const QString &descriptionColumn, const QString &description, const QString &taxableColumn,
             Money taxable, const QString &vatColumn, Money vat);
    // Sets one more column of an existing row (the ventilation writes five): a text for a
    // description column, an amount (Money) for the others; NULL clears the column.
    void setValue(int idIva, const QString &column, const QVariant &value);

    // Closes a section: zeroes its columns where NULL and computes its derived totals on
    // every row that exists now.
    void closeSection(ReportSection section);

    // Writes the rows of a settlement; returns how many. The keys are taken as a block after
    // the largest key of the table, which the INSERT reads itself: inside the rebuild's
    // transaction, which runs again when another user took the same keys meanwhile.
    int insert(Connection &db, int idRisultatoLiquidazioneIva) const;
    // The same in place of the settlement's rows, then runs `then` (a statement that does not
    // read this table): on PostgreSQL in one round trip when the rows fit one statement.
    int replace(Connection &db, int idRisultatoLiquidazioneIva, const SqlStatement &then) const;

    int count() const { return int(m_rows.size()); }
    bool contains(int idIva) const { return m_index.contains(idIva); }
    // The VAT codes of the rows, ascending.
    QList<int> ids() const;
    // The value of a column of a row as the table gives it back: NULL when never set, a
    // QString for a description, a Money for an amount.
    QVariant value(int idIva, const QString &column) const;

    // The amount columns of each section, in the order of their counter queries.
    static const QList<AmountPair> &purchasePairs();
    static const QList<AmountPair> &salesPairs(); // the 14 pairs, split-payment ones last
    static const QStringList &allColumns();       // every column the rows may carry

    // How many columns allColumns() lists, the first four of them descriptions.
    static constexpr int ColumnCount = 57;
    static constexpr int DescriptionCount = 4;

private:
    int write(Connection &db, int idRisultatoLiquidazioneIva, const SqlStatement &before,
              const SqlStatement &then) const;
    struct Row {
        int idIva = 0;
        unsigned long long set = 0;                    // bit n: column n is not NULL
        std::array<Money, ColumnCount> amounts{};      // the amount columns (n >= DescriptionCount)
        std::array<QString, DescriptionCount> texts{}; // the description columns
    };
    static_assert(ColumnCount <= 64, "one bit per column");
    Row &rowOf(int idIva);
    QVariant cell(const Row &row, int column) const;

    QList<Row> m_rows;
    QHash<int, int> m_index; // IDIva -> position
};

} // namespace liqiva
