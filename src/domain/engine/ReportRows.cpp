#include "domain/engine/ReportRows.h"

#include "database/Connection.h"
#include "database/SqlValue.h"

#include <algorithm>
#include <vector>

namespace liqiva {

namespace {

const QString table = u"RigaReportLiquidazioneIva"_qs;
const QString keyColumn = u"IDRigaReportLiquidazioneIva"_qs;

// The eleven sales pairs that are zeroed and summed; the three split-payment pairs are not.
constexpr int zeroedSalesPairs = 11;
// Rows per INSERT statement.
constexpr int rowsPerStatement = 100;

// A derived total of a section and the columns it sums.
struct Sum {
    int target;
    std::vector<int> parts;
};

// The places of the columns, found once by name: what each section zeroes and sums.
struct Layout {
    QHash<QString, int> byName; // column name as allColumns() writes it -> place
    std::vector<int> purchaseZeroed, salesZeroed, receiptsZeroed;
    std::vector<Sum> purchaseSums, salesSums;

    int at(const QString &name) const { return byName.value(name, -1); }
    void sum(std::vector<Sum> &to, const QString &target, std::initializer_list<QString> parts)
    {
        Sum s{at(target), {}};
        for (const QString &p : parts)
            s.parts.push_back(at(p));
        to.push_back(std::move(s));
    }
};

const Layout &layout()
{
    static const Layout l = [] {
        Layout l;
        const QStringList &all = ReportRows::allColumns();
        Q_ASSERT(all.size() == ReportRows::ColumnCount);
        for (int k = 0; k < all.size(); ++k)
            l.byName.insert(all[k], k);
        for (const AmountPair &p : ReportRows::purchasePairs())
            l.purchaseZeroed.insert(l.purchaseZeroed.end(), {l.at(p.taxableColumn), l.at(p.vatColumn)});
        l.sum(l.purchaseSums, u"ImpAcquisti"_qs, {u"ImpAltriAcquisti"_qs, u"ImpAcquistiMerce"_qs});
        l.sum(l.purchaseSums, u"IvaAcquisti"_qs, {u"IvaAltriAcquisti"_qs, u"IvaAcquistiMerce"_qs});
        for (int k = 0; k < zeroedSalesPairs; ++k) {
            const AmountPair &p = ReportRows::salesPairs()[k];
            l.salesZeroed.insert(l.salesZeroed.end(), {l.at(p.taxableColumn), l.at(p.vatColumn)});
        }
        l.sum(l.salesSums, u"VenditeComplessivoImp"_qs,
              {u"VenditeImp"_qs, u"VenditeInCorrImp"_qs, u"VenditeInCorrDaVentilareImp"_qs});
        l.sum(l.salesSums, u"VenditeComplessivoIva"_qs,
              {u"VenditeIva"_qs, u"VenditeInCorrIva"_qs, u"VenditeInCorrDaVentilareIva"_qs});
        l.sum(l.salesSums, u"VenditeComplessivoImpCEE"_qs,
              {u"VenditeImpCEE"_qs, u"VenditeInCorrImpCEE"_qs, u"VenditeInCorrDaVentilareImpCEE"_qs});
        l.sum(l.salesSums, u"VenditeComplessivoIvaCEE"_qs,
              {u"VenditeIvaCEE"_qs, u"VenditeInCorrIvaCEE"_qs, u"VenditeInCorrDaVentilareIvaCEE"_qs});
        l.sum(l.salesSums, u"VenditeComplessivoImpReverse"_qs,
              {u"VenditeImpReverse"_qs, u"VenditeInCorrImpReverse"_qs, u"VenditeInCorrDaVentilareImpReverse"_qs});
        l.sum(l.salesSums, u"VenditeComplessivoIvaReverse"_qs,
              {u"VenditeIvaReverse"_qs, u"VenditeInCorrIvaReverse"_qs, u"VenditeInCorrDaVentilareIvaReverse"_qs});
        l.receiptsZeroed = {l.at(u"ImpCorr"_qs), l.at(u"IvaCorrispettivi"_qs)};
        return l;
    }();
    return l;
}

// The place of a column the rows carry; a name outside allColumns() is a slip of the code.
int columnAt(const QString &name)
{
    const int k = layout().at(name);
    Q_ASSERT_X(k >= 0, "ReportRows", qPrintable(name));
    return k;
}

// One multi-row INSERT: its text, and its values with a place left for each row's offset
// from the largest key.
struct InsertBatch {
    QString sql;
    SqlParams params;
    qsizetype stride = 0; // values per row, the key first
    int rows = 0;
};

// The rows take consecutive keys after the largest key of the table, which the statement
// reads itself: each row's key is that largest key plus the row's place, set here. On SQLite
// the rebuild's transaction holds the database; on PostgreSQL another user's rebuild may take
// the same keys meanwhile: the statement then fails with a duplicate key and the rebuild runs
// again (sbRicalcolaReportLiquidazione).
void setKeyOffsets(InsertBatch &batch)
{
    for (int k = 0; k < batch.rows; ++k)
        batch.params[k * batch.stride] = QVariant(k + 1);
}

// Runs the statements in order: on PostgreSQL as one statement, the writes before the last in
// a WITH (they then see the table as it was before the statement), on SQLite one by one.
void runTogether(Connection &db, const QList<SqlStatement> &parts)
{
    if (db.engine() != Engine::Postgres || parts.size() < 2) {
        for (const SqlStatement &part : parts)
            db.execute(part);
        return;
    }
    SqlStatement all(u"WITH "_qs);
    for (qsizetype k = 0; k + 1 < parts.size(); ++k)
        all += (k > 0 ? u", W"_qs : u"W"_qs) + QString::number(k) + u" AS ("_qs + parts[k] + u")"_qs;
    db.execute(all + u" "_qs + parts.last());
}

} // namespace
const QList<AmountPair> &ReportRows::purchasePairs()
{
    static const QList<AmountPair> pairs = {
        {u"ImpAltriAcquisti"_qs, u"IvaAltriAcquisti"_qs},             // kind 1, other purchases
        {u"ImpAcquistiMerce"_qs, u"IvaAcquistiMerce"_qs},             // kind 1, goods for resale
        {u"ImpFattAcquistiSospeso"_qs, u"IvaFattAcquistiSospeso"_qs}, // kind 8
        {u"ImpPagamentoSospeso"_qs, u"IvaPagamentoSospeso"_qs},       // kind 10
        {u"ImpAcquistiSplit"_qs, u"IvaAcquistiSplit"_qs},             // kind 15
    };
    return pairs;
}

const QList<AmountPair> &ReportRows::salesPairs()
{
    static const QList<AmountPair> pairs = {
        {u"VenditeImp"_qs, u"VenditeIva"_qs},
        {u"VenditeInCorrImp"_qs, u"VenditeInCorrIva"_qs},
        {u"VenditeInCorrDaVentilareImp"_qs, u"VenditeInCorrDaVentilareIva"_qs},
        {u"ImpFattVenditeSospeso"_qs, u"IvaFattVenditeSospeso"_qs},
        {u"ImpIncassoSospeso"_qs, u"IvaIncassoSospeso"_qs},
        {u"VenditeImpCEE"_qs, u"VenditeIvaCEE"_qs},
        {u"VenditeInCorrImpCEE"_qs, u"VenditeInCorrIvaCEE"_qs},
        {u"VenditeInCorrDaVentilareImpCEE"_qs, u"VenditeInCorrDaVentilareIvaCEE"_qs},
        {u"VenditeImpReverse"_qs, u"VenditeIvaReverse"_qs},
        {u"VenditeInCorrImpReverse"_qs, u"VenditeInCorrIvaReverse"_qs},
        {u"VenditeInCorrDaVentilareImpReverse"_qs, u"VenditeInCorrDaVentilareIvaReverse"_qs},
        {u"VenditeImpSplit"_qs, u"VenditeIvaSplit"_qs},
        {u"VenditeImpSospesoSplit"_qs, u"VenditeIvaSospesoSplit"_qs},
        {u"VenditeImpIncSospesoSplit"_qs, u"VenditeIvaIncSospesoSplit"_qs},
    };
    return pairs;
}

const QStringList &ReportRows::allColumns()
{
    static const QStringList columns = [] {
        QStringList c{u"DescrizioneIvaAcquisti"_qs, u"DescrizioneIvaVendite"_qs, u"DescrizioneIvaCorr"_qs,
                      u"DescrizioneIvaCorrDaVentilare"_qs};
        for (const AmountPair &p : purchasePairs())
            c << p.taxableColumn << p.vatColumn;
        c << u"ImpAcquisti"_qs << u"IvaAcquisti"_qs;
        for (const AmountPair &p : salesPairs())
            c << p.taxableColumn << p.vatColumn;
        c << u"VenditeComplessivoImp"_qs << u"VenditeComplessivoIva"_qs << u"VenditeComplessivoImpCEE"_qs
          << u"VenditeComplessivoIvaCEE"_qs << u"VenditeComplessivoImpReverse"_qs << u"VenditeComplessivoIvaReverse"_qs;
        c << u"ImpCorr"_qs << u"IvaCorrispettivi"_qs;
        c << u"ImpCorrDaVentilare"_qs << u"IvaCorrDaVentilare"_qs << u"ImpLordoCorrDaVentilare"_qs
          << u"PercRipCorrDaVentilare"_qs << u"AcquistiCorrDaVentilare"_qs;
        return c;
    }();
    return columns;
}

ReportRows::Row &ReportRows::rowOf(int idIva)
{
    const auto it = m_index.constFind(idIva);
    if (it != m_index.constEnd())
        return m_rows[*it];
    m_index.insert(idIva, int(m_rows.size()));
    Row &row = m_rows.emplace_back();
    row.idIva = idIva;
    return row;
}

void ReportRows::put(int idIva, const QString &descriptionColumn, const QString &description,
                     const QString &taxableColumn, Money taxable, const QString &vatColumn, Money vat)
{
    const int d = columnAt(descriptionColumn), t = columnAt(taxableColumn), v = columnAt(vatColumn);
    Q_ASSERT(d < DescriptionCount && t >= DescriptionCount && v >= DescriptionCount);
    if (d < 0 || t < DescriptionCount || v < DescriptionCount)
        return;
    Row &row = rowOf(idIva);
    row.texts[d] = description;
    row.amounts[t] = taxable;
    row.amounts[v] = vat;
    row.set |= (1ULL << d) | (1ULL << t) | (1ULL << v);
}

void ReportRows::setValue(int idIva, const QString &column, const QVariant &value)
{
    const int c = columnAt(column);
    if (c < 0)
        return;
    Row &row = rowOf(idIva);
    if (value.isNull()) {
        row.set &= ~(1ULL << c);
        return;
    }
    if (c < DescriptionCount)
        row.texts[c] = value.toString();
    else
        row.amounts[c] = Money::fromVariant(value);
    row.set |= 1ULL << c;
}

QVariant ReportRows::cell(const Row &row, int column) const
{
    if (column < 0 || !(row.set & (1ULL << column)))
        return QVariant();
    if (column < DescriptionCount)
        return QVariant(row.texts[column]);
    return QVariant::fromValue(row.amounts[column]);
}

QVariant ReportRows::value(int idIva, const QString &column) const
{
    const auto it = m_index.constFind(idIva);
    if (it == m_index.constEnd())
        return QVariant();
    return cell(m_rows[*it], layout().at(column));
}

QList<int> ReportRows::ids() const
{
    QList<int> out;
    out.reserve(m_rows.size());
    for (const Row &row : m_rows)
        out << row.idIva;
    std::sort(out.begin(), out.end());
    return out;
}

void ReportRows::closeSection(ReportSection section)
{
    const Layout &l = layout();
    const std::vector<int> *zeroed = nullptr;
    const std::vector<Sum> *sums = nullptr;
    switch (section) {
    case ReportSection::Purchases:
        zeroed = &l.purchaseZeroed;
        sums = &l.purchaseSums;
        break;
    case ReportSection::Sales:
        zeroed = &l.salesZeroed;
        sums = &l.salesSums;
        break;
    case ReportSection::Receipts:
        zeroed = &l.receiptsZeroed;
        break;
    case ReportSection::Ventilation:
        return;
    }
    for (Row &row : m_rows) {
        for (int c : *zeroed) {
            if (!(row.set & (1ULL << c))) {
                row.amounts[c] = Money();
                row.set |= 1ULL << c;
            }
        }
        if (!sums)
            continue;
        for (const Sum &s : *sums) {
            Money total; // a NULL part counts as 0
            for (int p : s.parts) {
                if (row.set & (1ULL << p))
                    total += row.amounts[p];
            }
            row.amounts[s.target] = total;
            row.set |= 1ULL << s.target;
        }
    }
}

int ReportRows::insert(Connection &db, int idRisultatoLiquidazioneIva) const
{
    return write(db, idRisultatoLiquidazioneIva, {}, {});
}

int ReportRows::replace(Connection &db, int idRisultatoLiquidazioneIva, const SqlStatement &then) const
{
    return write(db, idRisultatoLiquidazioneIva,
                 SqlStatement(u"DELETE FROM "_qs + table + u" WHERE IDRisultatoLiquidazioneIva = ?"_qs,
                              {QVariant(idRisultatoLiquidazioneIva)}),
                 then);
}

int ReportRows::write(Connection &db, int idRisultatoLiquidazioneIva, const SqlStatement &before,
                      const SqlStatement &then) const
{
    QList<SqlStatement> pending; // on PostgreSQL they go with the first and the last rows
    if (!before.isEmpty())
        pending << before;
    if (m_rows.isEmpty()) {
        if (!then.isEmpty())
            pending << then;
        runTogether(db, pending);
        return 0;
    }
    // Only the columns some row carries; the others stay NULL anyway.
    unsigned long long usedMask = 0;
    for (const Row &row : m_rows)
        usedMask |= row.set;
    std::vector<int> used;
    QString columns = keyColumn + u", IDRisultatoLiquidazioneIva, IDIva"_qs;
    // The key: the largest of the table plus the row's place.
    QString tuple = u"((SELECT COALESCE(MAX("_qs + keyColumn + u"), 0) FROM "_qs + table + u") + ?, ?, ?"_qs;
    for (int c = 0; c < ColumnCount; ++c) {
        if (usedMask & (1ULL << c)) {
            used.push_back(c);
            columns += u", "_qs + allColumns()[c];
            tuple += u", ?"_qs;
        }
    }
    tuple += u')';
    const QString head = u"INSERT INTO "_qs + table + u" ("_qs + columns + u") VALUES "_qs;
    const QVariant settlement(idRisultatoLiquidazioneIva);

    for (qsizetype first = 0; first < m_rows.size(); first += rowsPerStatement) {
        InsertBatch batch;
        batch.rows = int(std::min<qsizetype>(rowsPerStatement, m_rows.size() - first));
        batch.stride = 3 + qsizetype(used.size());
        batch.sql.reserve(head.size() + batch.rows * (tuple.size() + 2));
        batch.sql = head;
        batch.params.reserve(batch.rows * batch.stride);
        for (int k = 0; k < batch.rows; ++k) {
            const Row &row = m_rows[first + k];
            if (k > 0)
                batch.sql += u", "_qs;
            batch.sql += tuple;
            batch.params << QVariant() << settlement << QVariant(row.idIva); // the key's offset comes later
            for (int c : used) {
                if (!(row.set & (1ULL << c)))
                    batch.params << QVariant();
                else if (c < DescriptionCount)
                    batch.params << QVariant(row.texts[c]);
                else
                    batch.params << sqlValue(row.amounts[c]);
            }
        }
        setKeyOffsets(batch);
        pending << SqlStatement(batch.sql, batch.params);
        if (first + batch.rows >= m_rows.size() && !then.isEmpty())
            pending << then;
        runTogether(db, pending);
        pending.clear();
    }
    return int(m_rows.size());
}

} // namespace liqiva
