#include "domain/engine/ReportRows.h"

#include "domain/engine/ReportHeader.h"
#include "database/Connection.h"
#include "database/SqlValue.h"

#include <algorithm>

namespace liqiva {

namespace {

const QString table = u"RigaReportLiquidazioneIva"_qs;
const QString keyColumn = u"IDRigaReportLiquidazioneIva"_qs;

// The eleven sales pairs that are zeroed and summed; the three split-payment pairs are not.
constexpr int zeroedSalesPairs = 11;
// Rows per INSERT statement.
constexpr int rowsPerStatement = 100;

// Inserts the rows with consecutive keys after the largest key of the table, which the
// statement reads itself. On SQLite the rebuild's transaction holds the database; on
// PostgreSQL another user's rebuild may take the same keys meanwhile: the statement then fails
// with a duplicate key and the rebuild runs again (sbRicalcolaReportLiquidazione).
void insertWithKeys(Connection &db, const QString &columns, const QList<SqlStatement> &tuples)
{
    const QString top = u"(SELECT COALESCE(MAX("_qs + keyColumn + u"), 0) FROM "_qs + table + u")"_qs;
    SqlStatement sql = u"INSERT INTO "_qs + table + u" ("_qs + keyColumn + u", "_qs + columns + u") VALUES "_qs;
    for (qsizetype k = 0; k < tuples.size(); ++k) {
        if (k > 0)
            sql += u", "_qs;
        sql += u"("_qs + top + u" + "_qs + sqlParam(k + 1) + u", "_qs + tuples[k] + u")"_qs;
    }
    db.execute(sql);
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
    m_rows.append(Row{idIva, {}});
    return m_rows.last();
}

void ReportRows::put(int idIva, const QString &descriptionColumn, const QString &description,
                     const QString &taxableColumn, Money taxable, const QString &vatColumn, Money vat)
{
    Row &row = rowOf(idIva);
    row.values.insert(descriptionColumn, description);
    row.values.insert(taxableColumn, QVariant::fromValue(taxable));
    row.values.insert(vatColumn, QVariant::fromValue(vat));
}

void ReportRows::setValue(int idIva, const QString &column, const QVariant &value)
{
    rowOf(idIva).values.insert(column, value);
}

QList<int> ReportRows::ids() const
{
    QList<int> ids = m_index.keys();
    std::sort(ids.begin(), ids.end());
    return ids;
}

QVariant ReportRows::value(int idIva, const QString &column) const
{
    const auto it = m_index.constFind(idIva);
    if (it == m_index.constEnd())
        return QVariant();
    return m_rows[*it].values.value(column);
}

void ReportRows::closeSection(ReportSection section)
{
    auto zero = [](Row &row, const QString &column) {
        if (row.values.value(column).isNull())
            row.values.insert(column, QVariant::fromValue(Money()));
    };
    auto sum = [&](Row &row, const QString &target, std::initializer_list<QString> parts) {
        Money total;
        for (const QString &p : parts)
            total += Money::fromVariant(row.values.value(p));
        row.values.insert(target, QVariant::fromValue(total));
    };

    for (Row &row : m_rows) {
        switch (section) {
        case ReportSection::Purchases:
            for (const AmountPair &p : purchasePairs()) {
                zero(row, p.taxableColumn);
                zero(row, p.vatColumn);
            }
            sum(row, u"ImpAcquisti"_qs, {u"ImpAltriAcquisti"_qs, u"ImpAcquistiMerce"_qs});
            sum(row, u"IvaAcquisti"_qs, {u"IvaAltriAcquisti"_qs, u"IvaAcquistiMerce"_qs});
            break;
        case ReportSection::Sales:
            for (int k = 0; k < zeroedSalesPairs; ++k) {
                zero(row, salesPairs()[k].taxableColumn);
                zero(row, salesPairs()[k].vatColumn);
            }
            sum(row, u"VenditeComplessivoImp"_qs,
                {u"VenditeImp"_qs, u"VenditeInCorrImp"_qs, u"VenditeInCorrDaVentilareImp"_qs});
            sum(row, u"VenditeComplessivoIva"_qs,
                {u"VenditeIva"_qs, u"VenditeInCorrIva"_qs, u"VenditeInCorrDaVentilareIva"_qs});
            sum(row, u"VenditeComplessivoImpCEE"_qs,
                {u"VenditeImpCEE"_qs, u"VenditeInCorrImpCEE"_qs, u"VenditeInCorrDaVentilareImpCEE"_qs});
            sum(row, u"VenditeComplessivoIvaCEE"_qs,
                {u"VenditeIvaCEE"_qs, u"VenditeInCorrIvaCEE"_qs, u"VenditeInCorrDaVentilareIvaCEE"_qs});
            sum(row, u"VenditeComplessivoImpReverse"_qs,
                {u"VenditeImpReverse"_qs, u"VenditeInCorrImpReverse"_qs, u"VenditeInCorrDaVentilareImpReverse"_qs});
            sum(row, u"VenditeComplessivoIvaReverse"_qs,
                {u"VenditeIvaReverse"_qs, u"VenditeInCorrIvaReverse"_qs, u"VenditeInCorrDaVentilareIvaReverse"_qs});
            break;
        case ReportSection::Receipts:
            zero(row, u"ImpCorr"_qs);
            zero(row, u"IvaCorrispettivi"_qs);
            break;
        case ReportSection::Ventilation:
            break;
        }
    }
}

int ReportRows::insert(Connection &db, int idRisultatoLiquidazioneIva) const
{
    if (m_rows.isEmpty())
        return 0;
    // Only the columns some row carries; the others stay NULL anyway.
    QStringList used;
    for (const QString &c : allColumns()) {
        for (const Row &row : m_rows) {
            if (row.values.contains(c)) {
                used << c;
                break;
            }
        }
    }
    const QString columns = u"IDRisultatoLiquidazioneIva, IDIva, "_qs + used.join(u", "_qs);

    QList<SqlStatement> tuples;
    for (qsizetype k = 0; k < m_rows.size(); ++k) {
        const Row &row = m_rows[k];
        SqlStatement t = sqlParam(idRisultatoLiquidazioneIva) + u", "_qs + sqlParam(row.idIva);
        for (const QString &c : used)
            t += u", "_qs + reportValue(row.values.value(c));
        tuples << t;
        if (tuples.size() == rowsPerStatement || k == m_rows.size() - 1) {
            insertWithKeys(db, columns, tuples);
            tuples.clear();
        }
    }
    return int(m_rows.size());
}

} // namespace liqiva
