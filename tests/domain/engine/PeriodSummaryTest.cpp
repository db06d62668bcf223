#include "domain/engine/ReportRebuild.h"
#include "database/SqlValue.h"
#include "support/EngineFixture.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"

using namespace liqiva;
using namespace liqiva::test;

namespace {

using Amount = std::optional<double>;
constexpr auto none = std::nullopt;

class PeriodSummary : public EngineFixtureTest {
protected:
    // A company of its own for each case: its activity, VAT year, branch and settlement.
    struct World {
        int company, year, activity, branch, settlement;
    };
    World world(int anno, ActivityYear flags, std::optional<int> mese, bool art36 = false, bool acconto = false,
                int metodo = 0)
    {
        World w;
        w.company = f->company();
        w.year = f->vatYear(w.company, anno, std::nullopt, art36);
        w.activity = f->activity(w.company);
        f->activityYear(w.activity, w.year, flags);
        w.branch = f->branch(w.company, w.activity);
        w.settlement = f->settlement(w.activity, w.year, mese, acconto, metodo, 2);
        return w;
    }

    ReportOutcome rebuild(const World &w, int mese, int anno, const ReportInputs &in, bool euro, double minimum,
                          int metodo = 0)
    {
        EngineContext ctx{t->db(), messages, 1, Money::fromDouble(minimum), euro};
        return sbRicalcolaReportLiquidazione(ctx, identity(w.settlement, w.activity, w.year, mese, anno, w.company, metodo),
                                             in);
    }

    ScriptedMessages messages;
};

TEST_P(PeriodSummary, ALireQuarterRoundsTheDebtToThousandsAndAddsInterest)
{
    struct {
        const char *what;
        const char *caption;
        double salesVat;
        bool art36;
        double minimum;
        double truckersAvailable, docUsed, docResidual;
        Amount previousResult; // type 1 of the first quarter
        Amount debt, credit, rounding, rounded, interest, toPay, truckers;
    } cases[] = {
        {"D - C = 1,234,499", "APR-MAG-GIU 1999", 1234499, false, 50000, 0, 0, 0, none,
         1234499, none, -499, 1234000, 19000, 1253000, 0},
        {"a half thousand goes down", "APR-MAG-GIU 1999", 1234500, false, 50000, 0, 0, 0, none,
         1234500, none, -500, 1234000, 19000, 1253000, 0},
        {"above the half goes up", "APR-MAG-GIU 1999", 1234501, false, 50000, 0, 0, 0, none,
         1234501, none, 499, 1235000, 19000, 1254000, 0},
        {"a caption without a quarter has no interest", "Giugno 1999", 1234499, false, 50000, 0, 0, 0, none,
         1234499, none, -499, 1234000, none, 1234000, 0},
        {"a rounded debt below the minimum has no interest", "APR-MAG-GIU 1999", 1234499, false, 2000000, 0, 0, 0,
         none, 1234499, none, -499, 1234000, none, 1234000, 0},
        {"separate activities: no rounding, interest or amount to pay", "APR-MAG-GIU 1999", 1234499, true, 50000, 0,
         0, 0, none, 1234499, none, none, none, none, none, none},
        {"the truckers' credit covers part of the debt", "APR-MAG-GIU 1999", 1234499, false, 50000, 100000, 0, 0,
         none, 1134499, none, -499, 1134000, 17000, 1151000, 100000},
        {"the truckers' credit is capped at the debt", "APR-MAG-GIU 1999", 1234499, false, 50000, 2000000, 0, 0, none,
         none, 0, none, none, none, none, 1234499},
        {"the truckers' credit the document holds", "APR-MAG-GIU 1999", 1234499, false, 50000, 2000000, 50000, 50000,
         none, 1184499, none, -499, 1184000, 18000, 1202000, 50000},
        {"the credit of the first quarter", "APR-MAG-GIU 1999", 1234499, false, 50000, 0, 0, 0, -200000, 1034499,
         none, -499, 1034000, 16000, 1050000, 0},
        {"a debt of the first quarter below the minimum", "APR-MAG-GIU 1999", 1234499, false, 50000, 0, 0, 0, 30000,
         1264499, none, -499, 1264000, 19000, 1283000, 0},
        {"a credit period", "APR-MAG-GIU 1999", 1234499, false, 50000, 0, 0, 0, -2000000, none, 765501, none, none,
         none, none, none},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.what);
        const World w = world(1999,
                              {.tipoLiquidazione = 1, .calcoloInteressi = true,
                               .creditoAutotrasportatori = k.truckersAvailable},
                              6, k.art36);
        const int code = f->vatCode(u"20%"_qs, 20);
        f->counter({.kind = 2, .idIva = code, .anno = 1999, .mese = 5, .idFiliale = w.branch,
                    .imponibile = k.salesVat * 5, .importo = k.salesVat});
        if (k.previousResult)
            f->amount(f->settlement(w.activity, w.year, 3), 1, *k.previousResult);
        ReportInputs in;
        in.periodCaption = QString::fromUtf8(k.caption);
        in.truckersCreditUsed = Money::fromDouble(k.docUsed);
        in.truckersCreditResidual = Money::fromDouble(k.docResidual);
        rebuild(w, 6, 1999, in, false, k.minimum);
        const int s = w.settlement;
        f->expectHeader(s, "TotDebito", k.debt);
        f->expectHeader(s, "TotCredito", k.credit);
        f->expectHeader(s, "Arrotondamenti", k.rounding);
        f->expectHeader(s, "DebitoArrotondato", k.rounded);
        f->expectHeader(s, "Interessi150", k.interest);
        f->expectHeader(s, "TotDaVersare", k.toPay);
        f->expectHeader(s, "CreditoAutotrasportatori", k.truckers);
    }
}

TEST_P(PeriodSummary, TheAnnualSettlementOfALireYearSumsTheYearsPaymentsAndInterest)
{
    const World w = world(1999, {.tipoLiquidazione = 1, .calcoloInteressi = true}, std::nullopt);
    const int code = f->vatCode(u"20%"_qs, 20);
    for (int mese : {3, 9})
        f->counter({.kind = 2, .idIva = code, .anno = 1999, .mese = mese, .idFiliale = w.branch,
                    .imponibile = 2500000, .importo = 500000});
    const int q1 = f->settlement(w.activity, w.year, 3), q3 = f->settlement(w.activity, w.year, 9);
    f->amount(q1, 8, 100000);
    f->amount(q3, 8, 50000);
    f->amount(q1, 3, 20000);
    f->amount(q3, 10, 15000);
    f->amount(q3, 4, 30000);
    ReportInputs in;
    in.periodCaption = u"Liquidazione annuale 1999"_qs;
    rebuild(w, 0, 1999, in, false, 50000);
    const int s = w.settlement;
    f->expectHeader(s, "VersamentiEffettuati", 150000);
    f->expectHeader(s, "InteressiTrimestraliVersati", 20000);
    f->expectHeader(s, "InteressiTrimestraliDovuti", 15000);
    f->expectHeader(s, "CreditoAutotrasportatori", 30000);
    f->expectHeader(s, "TotIvaDebito", 1000000);
    f->expectHeader(s, "TotIvaCredito", 180000);
    f->expectHeader(s, "TotDebito", 820000);
    f->expectHeader(s, "TotCredito", none);
    f->expectHeader(s, "DebitoArrotondato", none);
    f->expectHeader(s, "Interessi150", 20000); // the year's quarterly interest
    f->expectHeader(s, "Acconto", none);
}

TEST_P(PeriodSummary, TheAdvancePaidCountsInDecemberAndTheYearOnly)
{
    struct {
        std::optional<int> storedMonth;
        int mese;
        Amount acconto, credit;
    } cases[] = {{12, 12, 500, 500}, {3, 3, none, 0}, {std::nullopt, 0, 500, 500}};
    for (const auto &k : cases) {
        SCOPED_TRACE(k.mese);
        const World w = world(2024, {0}, k.storedMonth);
        f->amount(w.settlement, 9, 500);
        ReportInputs in;
        in.periodCaption = u"Periodo"_qs;
        rebuild(w, k.mese, 2024, in, true, 25.82);
        f->expectHeader(w.settlement, "Acconto", k.acconto);
        f->expectHeader(w.settlement, "TotIvaCredito", k.credit);
    }
}

TEST_P(PeriodSummary, TheDecemberAdvanceReadsItsMethodsCountersAndTheOtherOperations)
{
    struct {
        const char *what;
        int metodo;
        Amount otherOperations;
        double salesVat;
    } cases[] = {
        {"analytical: the advance rows", 0, none, 220},
        {"analytical with the other operations", 0, 30.5, 250.5},
        {"historical: December of the previous year", 1, none, 440},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.what);
        const World w = world(2024, {0}, std::nullopt, false, true, k.metodo);
        const int previous = f->vatYear(w.company, 2023);
        f->activityYear(w.activity, previous, {0});
        const int code = f->vatCode(u"22%"_qs, 22);
        f->counter({.kind = 2, .idIva = code, .anno = 2024, .mese = 12, .idFiliale = w.branch, .imponibile = 1000,
                    .importo = 220, .acconto = true});
        f->counter({.kind = 2, .idIva = code, .anno = 2024, .mese = 11, .idFiliale = w.branch, .imponibile = 5000,
                    .importo = 1100});
        f->counter({.kind = 2, .idIva = code, .anno = 2023, .mese = 12, .idFiliale = w.branch, .imponibile = 2000,
                    .importo = 440});
        ReportInputs in;
        in.periodCaption = u"Dicembre Acconto 2024"_qs;
        if (k.otherOperations)
            in.otherOperationsVat = Money::fromDouble(*k.otherOperations);
        const ReportOutcome out = rebuild(w, 13, 2024, in, true, 25.82, k.metodo);
        EXPECT_EQ(out.idPeriodoIvaContatori, k.metodo == 1 ? previous : w.year);
        f->expectHeader(w.settlement, "TotIvaSuVendite", k.salesVat);
        f->expectHeader(w.settlement, "TotDebito", k.salesVat);
    }
}

TEST_P(PeriodSummary, TheFlatRateCompensationReplacesThePurchasesVat)
{
    const World w = world(2024, {.articolo34 = true}, 3);
    const int c4 = f->compensationClass(4), c6 = f->compensationClass(6);
    const int vc4 = f->vatCode(u"10% comp. 4%"_qs, 10, 0, 0, c4);
    const int vc6 = f->vatCode(u"22% comp. 6%"_qs, 22, 0, 0, c6);
    const int vx = f->vatCode(u"22% escluso"_qs, 22, 0, 0, c6);
    t->db().execute(u"UPDATE Iva SET EsclusaDallaCompensazioneIva = 1 WHERE IDIva = ?"_qs, {sqlValue(vx)});
    const int vd = f->vatCode(u"22% in detrazione"_qs, 22, 0, 0, 0, true);
    const int v22 = f->vatCode(u"22%"_qs, 22);
    auto add = [&](int kind, int code, double imp, double iva, std::optional<int> cls = std::nullopt) {
        f->counter({.kind = kind, .idIva = code, .anno = 2024, .mese = 3, .idFiliale = w.branch, .imponibile = imp,
                    .importo = iva, .classeConto = cls});
    };
    add(2, vc4, 1000, 100);
    add(3, vc6, 333.33, 73.33);
    add(7, vx, 500, 110);
    add(1, vd, 250, 55, 3);
    add(8, vd, 100, 22);
    add(1, v22, 200, 44, 3);

    ReportInputs in;
    in.periodCaption = u"Marzo 2024"_qs;
    ReportOutcome out = rebuild(w, 3, 2024, in, true, 25.82);
    ASSERT_EQ(out.compensationGroups.size(), 2);
    double deductible = 0;
    for (const CompensationGroup &g : out.compensationGroups)
        deductible += g.ivaDetraibile.toDouble();
    EXPECT_NEAR(deductible, 60, 1e-9) << "40.00 at 4 % and 333.33 at 6 % = 19.9998 -> 20.00";
    const int s = w.settlement;
    f->expectHeader(s, "Art34DPRn63372", -1);
    f->expectHeader(s, "TotIvaSuAcquisti", 0);
    f->expectHeader(s, "TotIvaDetraibile", 60);
    f->expectHeader(s, "TotIvaDetraibileSuAcquisti", 77);
    f->expectHeader(s, "ImportoProrata", none);
    f->expectHeader(s, "TotIvaCredito", 137);
    f->expectHeader(s, "TotIvaSuVendite", 173.33);
    f->expectHeader(s, "TotDebito", 36.33);

    EngineContext ctx{t->db(), messages, 1, Money::fromDouble(25.82), true};
    EXPECT_EQ(fnRaggruppamentiArt34(ctx, identity(s, w.activity, w.year, 3, 2024, w.company)).size(), 2);

    // The groups the document keeps take the place of the counters.
    in.compensationGroups = QList<CompensationGroup>{{c4, Percent::points(4), Money::units(2000), Money()}};
    out = rebuild(w, 3, 2024, in, true, 25.82);
    f->expectHeader(s, "TotIvaDetraibile", 80);
    f->expectHeader(s, "TotIvaCredito", 157);
}

TEST_P(PeriodSummary, TheReceiptsToSplitAreSplitByThePurchasesOfGoods)
{
    struct Weight {
        int code; // index into the rates
        double imp, iva;
        bool late = false;
        int mese = 2;
    };
    struct Split {
        int code;
        double perc, gross, taxable, vat, purchases;
    };
    struct {
        const char *what;
        std::vector<double> rates;
        std::vector<Weight> weights;
        Amount receipts;
        bool shown;
        std::vector<Split> expected;
        bool anomaly;
    } cases[] = {
        {"equal weights: 33.34, 33.33, 33.33",
         {22, 10, 4},
         {{0, 100, 0}, {1, 100, 0}, {2, 100, 0}},
         100,
         true,
         {{0, 33.34, 33.34, 27.33, 6.01, 100}, {1, 33.33, 33.33, 30.30, 3.03, 100}, {2, 33.33, 33.33, 32.05, 1.28, 100}},
         false},
        {"weights 1 and 2", {22, 10}, {{0, 1, 0}, {1, 2, 0}}, 100, true,
         {{0, 33.33, 33.33, 27.32, 6.01, 1}, {1, 66.67, 66.67, 60.61, 6.06, 2}}, false},
        {"a late invoice weighs its taxable amount only",
         {22, 10},
         {{0, 100, 22, true}, {1, 180, 20}},
         100,
         true,
         {{0, 33.33, 33.33, 27.32, 6.01, 100}, {1, 66.67, 66.67, 60.61, 6.06, 200}},
         false},
        {"purchases of January and of the period weigh together",
         {22},
         {{0, 50, 11, false, 1}, {0, 50, 11, false, 3}},
         200,
         true,
         {{0, 100, 200, 163.93, 36.07, 122}},
         false},
        {"no purchases of goods: no rows, a message", {22}, {}, 100, true, {}, true},
        {"purchases after the period do not weigh", {22}, {{0, 100, 22, false, 4}}, 100, true, {}, true},
        {"no receipts to split: nothing", {22}, {{0, 100, 22}}, none, true, {}, false},
        {"the tab is hidden: nothing", {22}, {{0, 100, 22}}, 100, false, {}, false},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.what);
        messages.clear();
        const World w = world(2024, {0}, 3);
        std::vector<int> codes;
        for (double rate : k.rates)
            codes.push_back(f->vatCode(QStringLiteral("%1%").arg(rate), rate));
        for (const Weight &wt : k.weights)
            f->counter({.kind = 1, .idIva = codes[size_t(wt.code)], .anno = 2024, .mese = wt.mese,
                        .idFiliale = w.branch, .imponibile = wt.imp, .importo = wt.iva, .classeConto = 7,
                        .ritardo = wt.late});
        if (k.receipts)
            f->counter({.kind = 6, .idIva = codes[0], .anno = 2024, .mese = 3, .idFiliale = w.branch,
                        .imponibile = *k.receipts});
        ReportInputs in;
        in.periodCaption = u"Marzo 2024"_qs;
        in.ventilationShown = k.shown;
        const ReportOutcome out = rebuild(w, 3, 2024, in, true, 25.82);
        EXPECT_EQ(out.ventilationAnomaly, k.anomaly);
        EXPECT_EQ(out.messages, k.anomaly ? QStringList{u"Anomalie in fase di calcolo ventilazione!"_qs}
                                          : QStringList{});
        const int s = w.settlement;
        double vat = 0;
        for (const Split &e : k.expected) {
            SCOPED_TRACE(e.code);
            const int code = codes[size_t(e.code)];
            EXPECT_NEAR(f->row(s, code, u"PercRipCorrDaVentilare"_qs).value_or(-1), e.perc, 1e-9);
            EXPECT_NEAR(f->row(s, code, u"ImpLordoCorrDaVentilare"_qs).value_or(-1), e.gross, 1e-9);
            EXPECT_NEAR(f->row(s, code, u"ImpCorrDaVentilare"_qs).value_or(-1), e.taxable, 1e-9);
            EXPECT_NEAR(f->row(s, code, u"IvaCorrDaVentilare"_qs).value_or(-1), e.vat, 1e-9);
            EXPECT_NEAR(f->row(s, code, u"AcquistiCorrDaVentilare"_qs).value_or(-1), e.purchases, 1e-9);
            vat += e.vat;
        }
        EXPECT_EQ(
            fieldToNumber(t->db().scalar(u"SELECT COUNT(*) FROM RigaReportLiquidazioneIva WHERE "
                                         u"ImpLordoCorrDaVentilare IS NOT NULL AND IDRisultatoLiquidazioneIva = ?"_qs,
                                         {sqlValue(s)})),
            double(k.expected.size()));
        if (k.expected.empty()) {
            f->expectHeader(s, "TotCorrDaVentilareImportoLordo", none);
            f->expectHeader(s, "TotCorrDaVentilarePercRip", none);
        } else {
            f->expectHeader(s, "TotCorrDaVentilareImportoLordo", *k.receipts);
            f->expectHeader(s, "TotCorrDaVentilarePercRip", 100);
        }
        // The record leaves a zero total blank for the print.
        f->expectHeader(s, "TotCorrDaVentilareIva", vat == 0 ? Amount() : Amount(vat));
        f->expectHeader(s, "TotIvaSuVendite", vat);
    }
}

TEST_P(PeriodSummary, ARebuildKeepsNoFigureOfAnEarlierOne)
{
    const World w = world(2024, {0}, 3);
    const int code = f->vatCode(u"22%"_qs, 22);
    f->counter({.kind = 1, .idIva = code, .anno = 2024, .mese = 3, .idFiliale = w.branch, .imponibile = 100,
                .importo = 22, .classeConto = 7});
    f->counter({.kind = 6, .idIva = code, .anno = 2024, .mese = 3, .idFiliale = w.branch, .imponibile = 122});
    ReportInputs in;
    in.periodCaption = u"Marzo 2024"_qs;
    rebuild(w, 3, 2024, in, true, 25.82);
    f->expectHeader(w.settlement, "TotCorrDaVentilareIva", 22);
    f->expectHeader(w.settlement, "TotIvaSuVendite", 22);

    // The receipts are gone from the counters: the split and its totals go too.
    t->db().execute(u"DELETE FROM ContatoreIva WHERE IDTipoContatoreIva = 6"_qs);
    rebuild(w, 3, 2024, in, true, 25.82);
    f->expectHeader(w.settlement, "TotCorrDaVentilareImp", none);
    f->expectHeader(w.settlement, "TotCorrDaVentilareIva", none);
    f->expectHeader(w.settlement, "TotIvaSuVendite", 0);
    EXPECT_FALSE(f->row(w.settlement, code, u"ImpLordoCorrDaVentilare"_qs).has_value());
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(PeriodSummary);

} // namespace
