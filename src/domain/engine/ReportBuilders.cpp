// The row builders of the report: purchases, sales and receipts from one read of the
// counters, then the split of receipts by rate. Each fills its columns of the rows in memory
// and its totals of the header record.

#include "database/Connection.h"
#include "database/SqlValue.h"
#include "domain/engine/ReportState.h"
#include "domain/engine/Ventilation.h"
#include "suite/Rounding.h"

#include <QSet>

#include <algorithm>
#include <map>
#include <vector>

namespace liqiva {

namespace {

// A sum of the counters, to the cent.
Money cents(const QVariant &sum)
{
    return roundTo(Money::fromVariant(sum), Step::Cent, RoundMode::HalfAwayFromZero);
}

struct PairTotal {
    Money taxable;
    Money vat;
};

// The groups of a statement that reads several kinds at once: per kind and class, the
// amounts of each VAT code as the database summed them, in the order of the codes.
struct Group {
    int idIva = 0;
    QString description;
    Money taxable, vat; // not yet rounded
};
using Groups = std::map<std::pair<int, int>, std::vector<Group>>;

// One call of a builder over the groups of its kind: the classes it takes (all when empty)
// summed by VAT code, each code to the cent, into one amount pair of the rows, as a
// statement of that kind and class alone would give them; returns the totals.
PairTotal putGroups(ReportState &st, const Groups &groups, int kind, const std::vector<int> &classes,
                    const QString &descriptionColumn, const AmountPair &pair)
{
    std::map<int, Group> byCode; // in the order of the codes, as the single statement reads them
    for (const auto &[key, list] : groups) {
        if (key.first != kind)
            continue;
        if (!classes.empty() && std::find(classes.begin(), classes.end(), key.second) == classes.end())
            continue;
        for (const Group &g : list) {
            Group &to = byCode[g.idIva];
            to.idIva = g.idIva;
            to.description = g.description;
            to.taxable += g.taxable;
            to.vat += g.vat;
        }
    }
    PairTotal total;
    for (const auto &[idIva, g] : byCode) {
        const Money taxable = roundTo(g.taxable, Step::Cent, RoundMode::HalfAwayFromZero);
        const Money vat = roundTo(g.vat, Step::Cent, RoundMode::HalfAwayFromZero);
        st.rows.put(idIva, descriptionColumn, g.description, pair.taxableColumn, taxable, pair.vatColumn, vat);
        total.taxable += taxable;
        total.vat += vat;
    }
    return total;
}

// The non-deductible purchases: the other purchases, then the goods for resale.
struct NonDeductible {
    PairTotal other;
    PairTotal goods;
};

// A receipts row: the amounts of a VAT code as the database summed them.
struct ReceiptRow {
    int idIva = 0;
    QString description;
    QVariant rate, taxable, vat;
};

// What the three sections read from the counters, in one statement.
struct CounterRows {
    Groups purchases; // by kind and goods class (G)
    NonDeductible nonDeductible;
    Groups sales;                     // by kind and customer class (C)
    std::vector<ReceiptRow> receipts; // by VAT code
};

CounterRows readCounterRows(ReportState &st)
{
    CounterRows c;
    for (Recordset rs = st.db().openRecordset(fnSqlContatoriDelReport(st.period)); !rs.eof(); rs.moveNext()) {
        const int part = rs.integer(u"Part"_qs);
        if (part == 2) {
            const PairTotal sum{cents(rs.field(u"IMP"_qs)), cents(rs.field(u"IVA"_qs))};
            (rs.integer(u"CL"_qs) != 0 ? c.nonDeductible.goods : c.nonDeductible.other) = sum;
        } else if (part == 4) {
            c.receipts.push_back({rs.integer(u"IDIva"_qs), rs.text(u"DescrizioneSuRegistroIVA"_qs),
                                  rs.field(u"AliquotaIva"_qs), rs.field(u"IMP"_qs), rs.field(u"IVA"_qs)});
        } else {
            (part == 1 ? c.purchases : c.sales)[{rs.integer(u"K"_qs), rs.integer(u"CL"_qs)}].push_back(
                Group{rs.integer(u"IDIva"_qs), rs.text(u"DescrizioneSuRegistroIVA"_qs),
                      Money::fromVariant(rs.field(u"IMP"_qs)), Money::fromVariant(rs.field(u"IVA"_qs))});
        }
    }
    std::stable_sort(c.receipts.begin(), c.receipts.end(),
                     [](const ReceiptRow &x, const ReceiptRow &y) { return x.idIva < y.idIva; });
    return c;
}

void buildPurchases(ReportState &st, const Groups &groups, const NonDeductible &nd)
{
    struct Call {
        int kind;
        bool otherPurchases;
    };
    static const Call calls[] = {
        {CounterKind::Purchases, true},          {CounterKind::Purchases, false},
        {CounterKind::PurchasesSuspended, true}, {CounterKind::PaymentsOfSuspended, true},
        {CounterKind::SplitPurchases, true},
    };
    // The goods class parts the ordinary purchases.
    QList<PairTotal> t;
    for (int k = 0; k < 5; ++k) {
        const bool byClass = calls[k].kind == CounterKind::Purchases;
        t << putGroups(st, groups, calls[k].kind,
                       byClass ? std::vector<int>{calls[k].otherPurchases ? 0 : 1} : std::vector<int>{},
                       u"DescrizioneIvaAcquisti"_qs, ReportRows::purchasePairs()[k]);
    }
    st.rows.closeSection(ReportSection::Purchases);

    const PairTotal &otherNd = nd.other;
    const PairTotal &goodsNd = nd.goods;

    ReportHeader &h = st.header;
    h.set(u"TotAltroAcquistiImp"_qs, t[0].taxable);
    h.set(u"TotAltroAcquistiIva"_qs, t[0].vat);
    h.set(u"TotAcquistMerciiImp"_qs, t[1].taxable);
    h.set(u"TotAcquistiMerciIva"_qs, t[1].vat);
    h.set(u"TotAcquistiImpSospeso"_qs, t[2].taxable);
    h.set(u"TotAcquistiIvaSospeso"_qs, t[2].vat);
    h.set(u"TotAcquistiImpPagSospeso"_qs, t[3].taxable);
    h.set(u"TotAcquistiIvaPagSospeso"_qs, t[3].vat);
    h.set(u"TotAcquistiImpSplit"_qs, t[4].taxable);
    h.set(u"TotAcquistiIvaSplit"_qs, t[4].vat);
    h.set(u"TotAcquistiImp"_qs, t[0].taxable + t[1].taxable);
    h.set(u"TotAcquistiIva"_qs, t[0].vat + t[1].vat);
    h.set(u"ImpAltriAcqConIvaIndetraibile"_qs, otherNd.taxable);
    h.set(u"IvaAltriAcqConIvaIndetraibile"_qs, otherNd.vat);
    h.set(u"ImpAcqMerceConIvaIndetraibile"_qs, goodsNd.taxable);
    h.set(u"IvaAcqMerceConIvaIndetraibile"_qs, goodsNd.vat);
    h.set(u"ImpAcquistiConIvaIndetraibile"_qs, otherNd.taxable + goodsNd.taxable);
    h.set(u"IvaAcquistiConIvaIndetraibile"_qs, otherNd.vat + goodsNd.vat);
}

void buildSales(ReportState &st, const Groups &groups)
{
    struct Call {
        int kind;
        int customerClass;
        const char16_t *totalTaxable;
        const char16_t *totalVat;
    };
    using namespace CounterKind;
    using namespace CustomerClass;
    static const Call calls[] = {
        {SalesInvoices, Others, u"TotVenditeImp", u"TotVenditeIva"},
        {SalesWithReceipts, Others, u"TotVenditeInCorrImp", u"TotVenditeInCorrIva"},
        {SalesWithReceiptsToSplit, Others, u"TotVenditeInCorrDaVentilareImp", u"TotVenditeInCorrDaVentilareIva"},
        {SalesSuspended, Any, u"TotVenditeImpSospeso", u"TotVenditeIvaSospeso"},
        {CollectionsOfSuspended, Any, u"TotVenditeImpIncSospeso", u"TotVenditeIvaIncSospeso"},
        {SalesInvoices, IntraEu, u"TotVenditeImpCEE", u"TotVenditeIvaCEE"},
        {SalesWithReceipts, IntraEu, u"TotVenditeInCorrImpCEE", u"TotVenditeInCorrIvaCEE"},
        {SalesWithReceiptsToSplit, IntraEu, u"TotVenditeInCorrDaVentImpCEE", u"TotVenditeInCorrDaVentIvaCEE"},
        {SalesInvoices, ReverseCharge, u"TotVenditeImpReverse", u"TotVenditeIvaReverse"},
        {SalesWithReceipts, ReverseCharge, u"TotVenditeInCorrImpReverse", u"TotVenditeInCorrIvaReverse"},
        {SalesWithReceiptsToSplit, ReverseCharge, u"TotVenditeInCorrDaVentImpReverse",
         u"TotVenditeInCorrDaVentIvaReverse"},
        {SplitSales, Others, u"TotVenditeImpSplit", u"TotVenditeIvaSplit"},
        {SplitSalesSuspended, Any, u"TotVenditeImpSospesoSplit", u"TotVenditeIvaSospesoSplit"},
        {SplitSalesCollected, Any, u"TotVenditeImpIncSospesoSplit", u"TotVenditeIvaIncSospesoSplit"},
    };
    // The fourteen calls, parted by kind and customer class.
    auto classes = [](int customerClass) -> std::vector<int> {
        switch (customerClass) {
        case CustomerClass::IntraEu:
            return {6};
        case CustomerClass::ReverseCharge:
            return {14};
        case CustomerClass::Others:
            return {0};
        default:
            return {}; // any class
        }
    };
    QList<PairTotal> t;
    for (int k = 0; k < 14; ++k) {
        t << putGroups(st, groups, calls[k].kind, classes(calls[k].customerClass), u"DescrizioneIvaVendite"_qs,
                       ReportRows::salesPairs()[k]);
        st.header.set(QString::fromUtf16(calls[k].totalTaxable), t[k].taxable);
        st.header.set(QString::fromUtf16(calls[k].totalVat), t[k].vat);
    }
    st.rows.closeSection(ReportSection::Sales);

    // The totals of the three kinds of each group: domestic, intra-EU, reverse charge.
    auto group = [&](int first, const QString &taxable, const QString &vat) {
        st.header.set(taxable, t[first].taxable + t[first + 1].taxable + t[first + 2].taxable);
        st.header.set(vat, t[first].vat + t[first + 1].vat + t[first + 2].vat);
    };
    group(0, u"TotVenditeComplessivoImp"_qs, u"TotVenditeComplessivoIva"_qs);
    group(5, u"TotVenditeComplessivoImpCEE"_qs, u"TotVenditeComplessivoIvaCEE"_qs);
    group(8, u"TotVenditeComplessivoImpReverse"_qs, u"TotVenditeComplessivoIvaReverse"_qs);
}

void buildReceipts(ReportState &st, const std::vector<ReceiptRow> &receipts)
{
    // When the journal already splits receipts day by day the counters hold taxable and VAT;
    // otherwise the VAT is taken out of the gross amount here.
    const bool splitDaily = st.year.scorporoCorrispettiviGiornaliero;

    Money totalTaxable, totalVat;
    for (const ReceiptRow &r : receipts) {
        Money taxable = cents(r.taxable);
        Money vat = cents(r.vat);
        if (!splitDaily) {
            // The VAT in a gross amount: gross x rate / (100 + rate), to the currency unit.
            const Money gross = taxable + vat;
            const Percent rate = Percent::fromVariant(r.rate);
            vat = st.lira() ? rate.vatInGross(gross, Step::Lira, RoundMode::HalfUp)
                            : rate.vatInGross(gross, Step::Cent, RoundMode::HalfAwayFromZero);
            taxable = gross - vat;
        }
        st.rows.put(r.idIva, u"DescrizioneIvaCorr"_qs, r.description, u"ImpCorr"_qs, taxable, u"IvaCorrispettivi"_qs,
                    vat);
        totalTaxable += taxable;
        totalVat += vat;
    }
    st.rows.closeSection(ReportSection::Receipts);

    if (st.lira()) {
        totalTaxable = roundTo(totalTaxable, Step::Lira, RoundMode::HalfAwayFromZero);
        totalVat = roundTo(totalVat, Step::Lira, RoundMode::HalfAwayFromZero);
    }
    st.header.set(u"TotCorrImp"_qs, totalTaxable);
    st.header.set(u"TotCorrIva"_qs, totalVat);
}

} // namespace

void sbRigheContatori(ReportState &st)
{
    const CounterRows rows = readCounterRows(st);
    buildPurchases(st, rows.purchases, rows.nonDeductible);
    buildSales(st, rows.sales);
    buildReceipts(st, rows.receipts);
}

void sbRigheVentilazione(ReportState &st)
{
    if (!st.inputs.ventilationShown)
        return;
    Connection &db = st.db();

    // The receipts to split, the weights and the rate and description of each code they are
    // weighed under, in one statement; without receipts there is nothing to weigh.
    QVariant receipts;
    QList<VentilationWeight> weights;
    QHash<int, std::pair<Percent, QString>> vat;
    QSet<int> reported; // the codes the declaration reports
    for (Recordset rs = db.openRecordset(fnSqlVentilazione(st.period)); !rs.eof(); rs.moveNext()) {
        receipts = rs.field(u"Receipts"_qs);
        if (receipts.isNull())
            return;
        if (rs.field(u"IDIva"_qs).isNull())
            continue; // receipts without weights
        weights.append({rs.integer(u"IDIva"_qs), rs.integer(u"IDIvaVentilazione"_qs),
                        Money::fromVariant(rs.field(u"TotaleAcq"_qs))});
        if (rs.field(u"VIDIva"_qs).isNull())
            continue;
        const int code = rs.integer(u"VIDIva"_qs);
        vat.insert(code, {Percent::fromVariant(rs.field(u"VAliquotaIva"_qs)), rs.text(u"VDescrizione"_qs)});
        if (rs.number(u"VNoRiporto"_qs) == 0)
            reported.insert(code);
    }
    if (receipts.isNull())
        return;
    // The engines return the weights in different orders; the first met decides ties of the
    // closing to 100 %, so the rows are taken by VAT code.
    std::stable_sort(weights.begin(), weights.end(),
                     [](const VentilationWeight &x, const VentilationWeight &y) { return x.idIva < y.idIva; });
    QList<VentilationEntry> entries = mergeVentilationWeights(weights);
    for (VentilationEntry &e : entries) {
        const auto it = vat.constFind(e.idIva);
        if (it != vat.constEnd()) {
            e.aliquota = it->first;
            e.descrizioneIva = it->second;
        }
    }

    if (!splitReceipts(entries, Money::fromVariant(receipts), st.lira())) {
        st.ventilationAnomaly = true;
        st.messages << u"Anomalie in fase di calcolo ventilazione!"_qs;
        return;
    }

    Money taxable, vatTotal, gross, purchases;
    Percent share;
    for (const VentilationEntry &e : entries) {
        st.rows.setValue(e.idIva, u"DescrizioneIvaCorrDaVentilare"_qs, e.descrizioneIva);
        st.rows.setValue(e.idIva, u"ImpCorrDaVentilare"_qs, QVariant::fromValue(e.imponibile));
        st.rows.setValue(e.idIva, u"IvaCorrDaVentilare"_qs, QVariant::fromValue(e.imposta));
        st.rows.setValue(e.idIva, u"ImpLordoCorrDaVentilare"_qs, QVariant::fromValue(e.importoLordo));
        st.rows.setValue(e.idIva, u"PercRipCorrDaVentilare"_qs, QVariant::fromValue(e.percSuTotale.toMoney()));
        st.rows.setValue(e.idIva, u"AcquistiCorrDaVentilare"_qs, QVariant::fromValue(e.importo));
        if (reported.contains(e.idIva))
            st.ventilatedForDeclaration += e.imponibile;
        taxable += e.imponibile;
        vatTotal += e.imposta;
        gross += e.importoLordo;
        share += e.percSuTotale;
        purchases += e.importo;
    }
    st.rows.closeSection(ReportSection::Ventilation);
    st.header.set(u"TotCorrDaVentilareImp"_qs, taxable);
    st.header.set(u"TotCorrDaVentilareIva"_qs, vatTotal);
    st.header.set(u"TotCorrDaVentilareImportoLordo"_qs, gross);
    st.header.set(u"TotCorrDaVentilarePercRip"_qs, share);
    st.header.set(u"TotCorrDaVentilareAcquisti"_qs, purchases);
}

} // namespace liqiva
