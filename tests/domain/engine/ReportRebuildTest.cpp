#include "domain/engine/ReportRebuild.h"
#include "database/DbError.h"
#include "database/SqlValue.h"
#include "suite/Refusal.h"
#include "support/EngineFixture.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"

using namespace liqiva;
using namespace liqiva::test;

namespace {

// A euro company with a monthly activity A settling March 2024, and an activity B whose
// branch and a year 2023 that must never count.
class ReportRebuild : public EngineFixtureTest {
protected:
    void SetUp() override
    {
        EngineFixtureTest::SetUp();
        c = f->company();
        p = f->vatYear(c, 2024);
        A = f->activity(c);
        B = f->activity(c);
        f->activityYear(A, p, {0});
        f->activityYear(B, p, {0});
        bA = f->branch(c, A);
        bB = f->branch(c, B);
        v22 = f->vatCode(u"Aliquota 22%"_qs, 22);
        v10 = f->vatCode(u"Aliquota 10%"_qs, 10);
        v4 = f->vatCode(u"Aliquota 4%"_qs, 4);
        vN = f->vatCode(u"22% indetraibile 40%"_qs, 22, 40);
    }

    Counter march(int kind, int idIva, double imp, double iva)
    {
        return {
            .kind = kind, .idIva = idIva, .anno = 2024, .mese = 3, .idFiliale = bA, .imponibile = imp, .importo = iva};
    }

    // The purchases, sales and receipts of March; the rows of other branches, years and
    // months, and those not carried to the settlement, must not count.
    void march2024()
    {
        Counter half = march(1, v22, 500.0025, 110.0005);
        half.classeConto = 3;
        f->counter(half);
        f->counter(half); // 1000.005 -> 1000.01 and 220.001 -> 220.00
        Counter goods = march(1, v22, 2000, 440);
        goods.classeConto = 7;
        f->counter(goods);
        goods.idIva = v10, goods.imponibile = 500, goods.importo = 50;
        f->counter(goods);
        Counter nd = march(1, vN, 300, 66);
        f->counter(nd); // class NULL: other purchases
        nd.classeConto = 7, nd.imponibile = 100, nd.importo = 22;
        f->counter(nd);
        f->counter(march(8, v22, 400, 88));
        f->counter(march(10, v22, 150, 33));
        f->counter(march(15, v4, 250, 10));
        Counter onlyWeights = march(1, v22, 999, 9);
        onlyWeights.soloVentilazione = true;
        f->counter(onlyWeights);
        Counter notCarried = march(1, v22, 777, 7);
        notCarried.riporto = false;
        f->counter(notCarried);

        f->counter(march(2, v22, 10000, 2200));
        Counter eu = march(2, v22, 1000, 220);
        eu.classeCF = 6;
        f->counter(eu);
        Counter reverse = march(3, v10, 300, 30);
        reverse.classeCF = 14;
        f->counter(reverse);
        f->counter(march(12, v10, 800, 80));
        f->counter(march(9, v22, 200, 44));
        f->counter(march(5, v10, 1100, 0)); // gross receipts: 100 of VAT at 10 %

        Counter other = march(2, v22, 5000, 1100);
        other.idFiliale = bB;
        f->counter(other);
        Counter lastYear = march(2, v22, 6000, 1320);
        lastYear.anno = 2023;
        f->counter(lastYear);
        Counter april = march(2, v22, 7000, 1540);
        april.mese = 4;
        f->counter(april);
    }

    ReportOutcome rebuild(int settlement, int mese, const ReportInputs &in = {}, bool euro = true, int anno = 2024)
    {
        EngineContext ctx{t->db(), messages, 1, minimum, euro};
        return sbRicalcolaReportLiquidazione(ctx, identity(settlement, A, p, mese, anno, c), in);
    }

    ReportInputs caption(const QString &text)
    {
        ReportInputs in;
        in.periodCaption = text;
        return in;
    }

    ScriptedMessages messages;
    Money minimum = Money::fromDouble(25.82);
    int c = 0, p = 0, A = 0, B = 0, bA = 0, bB = 0, v22 = 0, v10 = 0, v4 = 0, vN = 0;
};

TEST_P(ReportRebuild, BuildsTheRowsByVatCodeToTheCent)
{
    march2024();
    const int s = f->settlement(A, p, 3, false, 0, 2);
    const ReportOutcome out = rebuild(s, 3, caption(u"Marzo 2024"_qs));
    EXPECT_EQ(out.rowsWritten, 3);
    EXPECT_EQ(f->rowCount(s), 3) << "one row per VAT code; the non-deductible code has none";

    struct {
        const char *column;
        int idIva;
        std::optional<double> expected;
    } cases[] = {
        {"ImpAltriAcquisti", v22, 1000.01},
        {"IvaAltriAcquisti", v22, 220.00},
        {"ImpAcquistiMerce", v22, 2000},
        {"ImpFattAcquistiSospeso", v22, 400},
        {"IvaPagamentoSospeso", v22, 33},
        {"ImpAcquistiSplit", v22, 0},
        {"ImpAcquisti", v22, 3000.01},
        {"IvaAcquisti", v22, 660},
        {"VenditeImp", v22, 10000},
        {"VenditeImpCEE", v22, 1000},
        {"ImpIncassoSospeso", v22, 200},
        {"VenditeComplessivoIva", v22, 2200},
        {"VenditeComplessivoIvaCEE", v22, 220},
        {"VenditeComplessivoIvaReverse", v22, 0},
        {"VenditeImpSplit", v22, std::nullopt},
        {"ImpCorr", v22, 0},
        {"ImpCorrDaVentilare", v22, std::nullopt},
        {"ImpAcquistiMerce", v10, 500},
        {"ImpAltriAcquisti", v10, 0},
        {"IvaAcquisti", v10, 50},
        {"VenditeInCorrImpReverse", v10, 300},
        {"VenditeComplessivoImpReverse", v10, 300},
        {"VenditeImpSplit", v10, 800},
        {"VenditeIvaSplit", v10, 80},
        {"VenditeImpSospesoSplit", v10, std::nullopt},
        {"ImpCorr", v10, 1000},
        {"IvaCorrispettivi", v10, 100},
        {"ImpAcquistiSplit", v4, 250},
        {"IvaAcquistiSplit", v4, 10},
        {"ImpAcquisti", v4, 0},
        {"VenditeImp", v4, 0},
        {"VenditeComplessivoImp", v4, 0},
        {"IvaCorrispettivi", v4, 0},
    };
    for (const auto &k : cases)
        f->expectRow(s, k.idIva, k.column, k.expected);
    EXPECT_EQ(
        t->db()
            .scalar(u"SELECT DescrizioneIvaVendite FROM RigaReportLiquidazioneIva WHERE IDIva = ?"_qs, {sqlValue(v10)})
            .toString(),
        u"Aliquota 10%"_qs);
}

TEST_P(ReportRebuild, FillsTheHeaderTotalsAndTheClosing)
{
    march2024();
    const int feb = f->settlement(A, p, 2);
    f->amount(feb, 11, 300);
    f->amount(feb, 8, 250);
    f->amount(feb, 25, 12.5);
    const int s = f->settlement(A, p, 3, false, 0, 2);
    rebuild(s, 3, caption(u"Marzo 2024"_qs));

    struct {
        const char *column;
        std::optional<double> expected;
    } cases[] = {
        {"TotAltroAcquistiImp", 1000.01},
        {"TotAcquistMerciiImp", 2500},
        {"TotAcquistiMerciIva", 490},
        {"TotAcquistiImpSospeso", 400},
        {"TotAcquistiIvaPagSospeso", 33},
        {"TotAcquistiImpSplit", 250},
        {"TotAcquistiImp", 3500.01},
        {"TotAcquistiIva", 710},
        {"ImpAltriAcqConIvaIndetraibile", 300},
        {"IvaAcqMerceConIvaIndetraibile", 22},
        {"ImpAcquistiConIvaIndetraibile", 400},
        {"IvaAcquistiConIvaIndetraibile", 88},
        {"TotVenditeImp", 10000},
        {"TotVenditeIvaCEE", 220},
        {"TotVenditeInCorrImpReverse", 300},
        {"TotVenditeImpSplit", 800},
        {"TotVenditeIvaIncSospeso", 44},
        {"TotVenditeComplessivoIva", 2200},
        {"TotVenditeComplessivoIvaReverse", 30},
        {"TotCorrImp", 1000},
        {"TotCorrIva", 100},
        {"TotCorrDaVentilareImp", std::nullopt},
        {"TotCorrDaVentilareIva", std::nullopt}, // a zero total is left blank for the print
        {"TotIvaSuVendite", 2344},
        {"IvaSplitPayment", 80},
        {"Art34DPRn63372", 0},
        {"TotIvaSuAcquisti", 743},
        {"CreditoPrecedente", 0},
        {"DebitoPrecedente", 0},
        {"Acconto", std::nullopt},
        {"Articolo27Comma5", std::nullopt},
        {"PercProrata", 100},
        {"ImportoProrata", std::nullopt},
        {"TotIvaDetraibile", 0},
        {"CreditoAutotrasportatori", std::nullopt},
        {"TotIvaCredito", 743},
        {"TotIvaDebito", 2594},
        {"TotDebito", 1851},
        {"TotCredito", std::nullopt},
        {"Arrotondamenti", std::nullopt},
        {"Interessi150", std::nullopt},
        {"TotDaVersare", std::nullopt},
        {"DebitoPeriodoPrec", 50},
        {"CreditoPeriodoPrec", 12.5},
        {"ImpVersatoVersamentiPeriodici", std::nullopt},
    };
    for (const auto &k : cases)
        f->expectHeader(s, k.column, k.expected);
    EXPECT_EQ(f->headerValue(s, u"MeseLiquidazione"_qs).toString(), u"Marzo 2024"_qs);
}

TEST_P(ReportRebuild, IsRepeatableAndCostsAFixedNumberOfStatements)
{
    march2024();
    const int s = f->settlement(A, p, 3, false, 0, 2);
    const long long before = t->db().statementCount();
    const ReportOutcome first = rebuild(s, 3, caption(u"Marzo 2024"_qs));
    const long long statements = t->db().statementCount() - before;
    RecordProperty("statements", int(statements));
    std::printf("[ statements ] monthly rebuild: %lld\n", statements);
    EXPECT_LE(statements, 46); // the lock of the settlement row included

    const QVariant debt = f->headerValue(s, u"TotDebito"_qs);
    const ReportOutcome second = rebuild(s, 3, caption(u"Marzo 2024"_qs));
    EXPECT_EQ(second.idCampoReportLiquidazioneIva, first.idCampoReportLiquidazioneIva) << "the header survives";
    EXPECT_EQ(f->rowCount(s), 3);
    EXPECT_EQ(fieldToNumber(t->db().scalar(u"SELECT COUNT(*) FROM CampoReportLiquidazioneIva"_qs)), 1);
    EXPECT_EQ(f->headerValue(s, u"TotDebito"_qs).toDouble(), debt.toDouble());
}

TEST_P(ReportRebuild, TheProRataReducesTheDeductibleVat)
{
    march2024();
    const int s = f->settlement(A, p, 3, false, 0, 2);
    struct {
        double perc;
        std::optional<double> importoProrata;
        double credit, debt;
    } cases[] = {
        {80, 594.40, 594.40, 1999.60},
        {37, 274.91, 274.91, 2319.09},
        {100, std::nullopt, 743, 1851}, // and a percentage back at 100 leaves no stale amount
        {0, 0, 0, 2594},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.perc);
        ReportInputs in = caption(u"Marzo 2024"_qs);
        in.percProRata = Percent::fromMoney(Money::fromDouble(k.perc));
        rebuild(s, 3, in);
        f->expectHeader(s, "ImportoProrata", k.importoProrata);
        f->expectHeader(s, "TotIvaCredito", k.credit);
        f->expectHeader(s, "TotDebito", k.debt);
        f->expectHeader(s, "PercProrata", k.perc);
    }
}

TEST_P(ReportRebuild, FromTheYear2000TheBalanceIsADebtOrACredit)
{
    const int s = f->settlement(A, p, 3, false, 0, 2);
    struct {
        const char *what;
        std::vector<std::pair<double, double>> sales, purchases; // (code rate, VAT)
        std::optional<double> debt, credit;
    } cases[] = {
        {"a debt", {{22, 100}}, {{22, 40}}, 60, std::nullopt},
        {"a credit", {{22, 40}}, {{22, 100}}, std::nullopt, 60},
        {"nothing either way is a credit of 0", {{22, 50}}, {{22, 50}}, std::nullopt, 0},
        {"binary noise does not make a debt", {{22, 0.3}}, {{22, 0.1}, {10, 0.2}}, std::nullopt, 0},
        {"a cent of debt", {{22, 100.01}}, {{22, 100}}, 0.01, std::nullopt},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.what);
        t->db().execute(u"DELETE FROM ContatoreIva"_qs);
        for (const auto &[rate, vat] : k.sales)
            f->counter(march(2, rate == 22 ? v22 : v10, vat * 10, vat));
        for (const auto &[rate, vat] : k.purchases) {
            Counter buy = march(1, rate == 22 ? v22 : v10, vat * 10, vat);
            buy.classeConto = 3;
            f->counter(buy);
        }
        rebuild(s, 3, caption(u"Marzo 2024"_qs));
        f->expectHeader(s, "TotDebito", k.debt);
        f->expectHeader(s, "TotCredito", k.credit);
        f->expectHeader(s, "DebitoArrotondato", std::nullopt);
    }

    // The annual settlement from 2000 on writes only the two totals.
    const int year = f->settlement(A, p, std::nullopt, false, 0, 2);
    rebuild(year, 0, caption(u"Liquidazione annuale 2024"_qs));
    EXPECT_TRUE(f->header(year, u"TotIvaDebito"_qs).has_value());
    f->expectHeader(year, "TotDebito", std::nullopt);
    f->expectHeader(year, "TotCredito", std::nullopt);
}

TEST_P(ReportRebuild, ReceiptsAreSplitToTheCentOrToTheLira)
{
    struct {
        const char *what;
        bool euro, daily;
        int anno;
        double rate, imp, iva;
        double taxable, vat;
    } cases[] = {
        {"euro, gross 122 at 22 %", true, false, 2024, 22, 122, 0, 100, 22},
        {"euro, half a cent goes up", true, false, 2024, 4, 0.13, 0, 0.12, 0.01},
        {"euro, a negative half cent goes away from zero", true, false, 2024, 4, -0.13, 0, -0.12, -0.01},
        {"lire, 10000 at 20 %", false, false, 1999, 20, 10000, 0, 8333, 1667},
        {"lire, half a lira goes up", false, false, 1999, 4, 13, 0, 12, 1},
        {"lire, a negative half lira goes up to 0", false, false, 1999, 4, -13, 0, -13, 0},
        {"a year before 2000 is in lire even for a euro company", true, false, 1999, 20, 10000, 0, 8333, 1667},
        {"split day by day: the counters stand", true, true, 2024, 22, 100.004, 21.996, 100, 22},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.what);
        const int company = f->company(k.daily);
        const int year = f->vatYear(company, k.anno);
        const int activity = f->activity(company);
        f->activityYear(activity, year, {0});
        const int branch = f->branch(company, activity);
        const int code = f->vatCode(u"Corrispettivi"_qs, k.rate);
        f->counter({.kind = 5,
                    .idIva = code,
                    .anno = k.anno,
                    .mese = 6,
                    .idFiliale = branch,
                    .imponibile = k.imp,
                    .importo = k.iva});
        const int s = f->settlement(activity, year, 6, false, 0, 2);
        EngineContext ctx{t->db(), messages, 1, minimum, k.euro};
        ReportInputs in = caption(u"Giugno"_qs);
        sbRicalcolaReportLiquidazione(ctx, identity(s, activity, year, 6, k.anno, company), in);
        EXPECT_NEAR(f->row(s, code, u"ImpCorr"_qs).value_or(-999), k.taxable, 1e-9);
        EXPECT_NEAR(f->row(s, code, u"IvaCorrispettivi"_qs).value_or(-999), k.vat, 1e-9);
        // A zero total is left blank for the print.
        EXPECT_NEAR(f->header(s, u"TotCorrImp"_qs).value_or(0), k.taxable, 1e-9);
        EXPECT_NEAR(f->header(s, u"TotCorrIva"_qs).value_or(0), k.vat, 1e-9);
    }
}

TEST_P(ReportRebuild, RollsBackWholeOnAnError)
{
    march2024();
    const int s = f->settlement(A, p, 3, false, 0, 2);
    rebuild(s, 3, caption(u"Marzo 2024"_qs));
    const double debt = f->header(s, u"TotDebito"_qs).value();

    // The receipts read a table that is gone: the rebuild fails after deleting the rows.
    f->counter(march(2, v22, 1000, 220));
    t->db().execute(u"ALTER TABLE ConfigurazioneContabile RENAME TO ConfigurazioneAltrove"_qs);
    EXPECT_THROW(rebuild(s, 3, caption(u"Marzo 2024"_qs)), DbError);
    t->db().execute(u"ALTER TABLE ConfigurazioneAltrove RENAME TO ConfigurazioneContabile"_qs);

    EXPECT_EQ(t->db().transactionDepth(), 0);
    EXPECT_EQ(f->rowCount(s), 3) << "the old rows are still there";
    EXPECT_EQ(f->header(s, u"TotDebito"_qs), debt) << "and so is the old header";
}

TEST_P(ReportRebuild, RefusesABadSettlementAndChangesNothing)
{
    march2024();
    const int s = f->settlement(A, p, 3, false, 0, 2);
    const int other = f->settlement(B, p, 3, false, 0, 2);
    EngineContext ctx{t->db(), messages, 1, minimum, true};
    struct {
        const char *what;
        SettlementIdentity id;
        double perc;
        const char *message;
    } cases[] = {
        {"no settlement", identity(0, A, p, 3, 2024, c), 100, "manca la liquidazione"},
        {"a month that does not exist", identity(s, A, p, 14, 2024, c), 100, "mese non valido (14)"},
        {"an advance method that does not exist", identity(s, A, p, 13, 2024, c, 5), 100, "metodo di calcolo"},
        {"a pro-rata above 100", identity(s, A, p, 3, 2024, c), 120, "pro-rata non valida (120)"},
        {"a settlement that is not there", identity(9999, A, p, 3, 2024, c), 100, "la liquidazione 9999 non esiste"},
        {"a settlement of another activity", identity(other, A, p, 3, 2024, c), 100, "non appartiene"},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.what);
        ReportInputs in;
        in.percProRata = Percent::fromMoney(Money::fromDouble(k.perc));
        try {
            sbRicalcolaReportLiquidazione(ctx, k.id, in);
            ADD_FAILURE() << "accepted";
        } catch (const Refusal &e) {
            EXPECT_TRUE(e.message().startsWith(u"Impossibile ricalcolare la liquidazione I.V.A.: "_qs));
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(k.message))) << e.message().toStdString();
        }
    }
    EXPECT_EQ(fieldToNumber(t->db().scalar(u"SELECT COUNT(*) FROM RigaReportLiquidazioneIva"_qs)), 0);
    EXPECT_EQ(fieldToNumber(t->db().scalar(u"SELECT COUNT(*) FROM CampoReportLiquidazioneIva"_qs)), 0);
    EXPECT_EQ(t->db().transactionDepth(), 0);
}

TEST_P(ReportRebuild, WritesThePaymentsOnlyWhenTheyAreToBePrinted)
{
    march2024();
    const int s = f->settlement(A, p, 3);
    t->db().execute(u"INSERT INTO Abi (IDAbi, Abi, Banca) VALUES (1, '03069', 'Banca Prova')"_qs);
    t->db().execute(u"INSERT INTO Cab (IDCab, IDAbi, Cab, Dipendenza) VALUES (5, 1, '01600', 'Milano')"_qs);
    t->db().execute(u"INSERT INTO ConcessionarioEsattoriale (IDConcessionarioEsattoriale, CodiceConcessione) "
                    u"VALUES (3, 77)"_qs);
    t->db().execute(u"INSERT INTO RisultatoLiquidazioneIvaXTipo (IDRisultatoLiquidazioneIvaXTip, "
                    u"IDTipoRisultatoLiquidazioneIva, IDRisultatoLiquidazioneIva, Importo, DataVersamento, IDCab, "
                    u"IDConcessionarioEsattoriale, CodiceAzienda) VALUES (50, 8, ?, 1851, ?, 5, 3, 'AZ1')"_qs,
                    {sqlValue(s), QDate(2024, 4, 16)});

    rebuild(s, 3, caption(u"Marzo 2024"_qs));
    EXPECT_FALSE(f->header(s, u"ImpVersatoVersamentiPeriodici"_qs).has_value()) << "not to be printed";

    t->db().execute(u"UPDATE RisultatoLiquidazioneIva SET RipStampaVersamentiPeriodici = 1 WHERE "
                    u"IDRisultatoLiquidazioneIva = ?"_qs,
                    {sqlValue(s)});
    rebuild(s, 3, caption(u"Marzo 2024"_qs));
    EXPECT_EQ(f->header(s, u"ImpVersatoVersamentiPeriodici"_qs), 1851);
    EXPECT_EQ(f->headerValue(s, u"BancaVersamentiPeriodici"_qs).toString(), u"Banca Prova - Milano - (03069/01600)"_qs);
    EXPECT_EQ(f->headerValue(s, u"AbiVerPer"_qs).toString(), u"03069"_qs);
    EXPECT_EQ(f->headerValue(s, u"CabVerPer"_qs).toString(), u"01600"_qs);
    EXPECT_EQ(f->headerValue(s, u"CodConcEsatVerPer"_qs).toString(), u"77"_qs);
    EXPECT_EQ(f->headerValue(s, u"CodiceAziendaVerPer"_qs).toString(), u"AZ1"_qs);
    const QString paid = f->headerValue(s, u"DataVersamentiPeriodici"_qs).toString().left(19).replace(u' ', u'T');
    EXPECT_EQ(QDateTime::fromString(paid, Qt::ISODate).date(), QDate(2024, 4, 16));
    EXPECT_FALSE(f->header(s, u"ImpVersatoVersamentiInAcconto"_qs).has_value());
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(ReportRebuild);

} // namespace
