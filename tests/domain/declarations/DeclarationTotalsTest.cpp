#include "domain/declarations/DeclarationTotals.h"

#include "domain/declarations/AltriDatiDip.h"
#include "domain/declarations/DatiCADI.h"
#include "domain/engine/Amounts.h"
#include "support/EngineFixture.h"
#include "support/MoneyText.h"
#include "support/TestDatabase.h"

using namespace liqiva;
using namespace liqiva::test;

namespace {

TEST(DeclarationAmounts, LireAreShownInThousandsAndStoredInLire)
{
    struct {
        const char *stored;
        bool decimali;
        const char *shown;
    } cases[] = {
        {"1500000", false, "1500"},   {"0", false, "0"}, {"1500500", false, "1500.5"}, {"-2000", false, "-2"},
        {"1234.56", true, "1234.56"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(declarationShown(m(c.stored), c.decimali), m(c.shown)) << c.stored;
        EXPECT_EQ(declarationStored(m(c.shown), c.decimali), m(c.stored)) << c.shown;
    }
}

enum Rate { Ordinary = 1, Exempt = 2, NonTaxable = 3, NotDeclared = 4 };

// Company 1's VAT year 2024, a monthly activity with its branch, an activity of another
// branch, and the four kinds of VAT code.
class DeclarationTotalsDb : public EngineFixtureTest {
protected:
    void SetUp() override
    {
        EngineFixtureTest::SetUp();
        const int company = f->company();
        Year = f->vatYear(company, 2024, std::nullopt, true);
        Activity = f->activity(company);
        Branch = f->branch(company, Activity);
        OtherBranch = f->branch(company, f->activity(company));
        f->activityYear(Activity, Year);
        EXPECT_EQ(f->vatCode(VatCode{u"22"_qs, 22}), Ordinary);
        EXPECT_EQ(f->vatCode(VatCode{u"E"_qs, 0, 3}), Exempt);
        EXPECT_EQ(f->vatCode(VatCode{u"NI"_qs, 0, 1}), NonTaxable);
        EXPECT_EQ(f->vatCode(VatCode{.code = u"ND"_qs, .rate = 22, .notDeclared = true}), NotDeclared);
    }

    Counter sale(int rate, int kind, double imponibile, int mese = 3)
    {
        return {.kind = kind, .idIva = rate, .anno = 2024, .mese = mese, .idFiliale = Branch, .imponibile = imponibile};
    }
    // A year of counters with one of each kind the declarations tell apart.
    void fillYear()
    {
        const auto add = [this](Counter c, std::optional<int> cf = {}, std::optional<int> conto = {}) {
            c.classeCF = cf;
            c.classeConto = conto;
            f->counter(c);
        };
        add(sale(Ordinary, 2, 1000));
        add(sale(Ordinary, 7, 200));       // suspended sales
        add(sale(Ordinary, 2, 500), 6);    // class 6: left out of the operations
        add(sale(Ordinary, 2, 400), 14);   // class 14: left out
        add(sale(Ordinary, 2, 300), 1, 7); // intra-EU supply of goods
        add(sale(NotDeclared, 2, 700));    // never declared
        auto ventilation = sale(Ordinary, 2, 600);
        ventilation.soloVentilazione = true;
        add(ventilation);
        add(sale(Ordinary, 2, 50, 2)); // February
        auto otherBranch = sale(Ordinary, 2, 80);
        otherBranch.idFiliale = OtherBranch;
        add(otherBranch);
        auto advance = sale(Ordinary, 2, 90);
        advance.acconto = true;
        add(advance);
        add(sale(Ordinary, 12, 111)); // split payment: annual only
        add(sale(Exempt, 2, 250));
        add(sale(NonTaxable, 3, 150));
        auto outside = sale(Ordinary, 2, 10);
        outside.riporto = false;
        add(outside);
        add(sale(Ordinary, 2, 35), {}, 12); // capital goods sold
        add(sale(Ordinary, 2, 45), 6, 11);  // capital goods, class 6: left out
        add(sale(Ordinary, 1, 400));        // purchases
        add(sale(Ordinary, 8, 100));
        add(sale(Ordinary, 15, 70));        // split-payment purchases: annual only
        add(sale(Ordinary, 1, 60), 1, 8);   // intra-EU purchase
        add(sale(Ordinary, 1, 30), {}, 10); // capital goods bought
        add(sale(Exempt, 1, 20));
        add(sale(NonTaxable, 1, 15));
        add(sale(Ordinary, 1, 1000, 4)); // April
    }
    void reportRow(int key, int settlement, int rate, double ventilated)
    {
        db().execute(u"INSERT INTO RigaReportLiquidazioneIva (IDRigaReportLiquidazioneIva, IDRisultatoLiquidazioneIva, "
                     "IDIva, ImpCorrDaVentilare) VALUES ("_qs +
                     QString::number(key) + u", "_qs + QString::number(settlement) + u", "_qs + QString::number(rate) +
                     u", "_qs + sqlParam(ventilated) + u")"_qs);
    }
    SettlementIdentity identity(int key, int month, int metodo = 0) const
    {
        return test::identity(key, Activity, Year, month, 2024, 0, metodo);
    }

    int Year = 0, Activity = 0, Branch = 0, OtherBranch = 0;
};

TEST_P(DeclarationTotalsDb, ThePeriodicDeclarationSumsTheSettlementsMonths)
{
    fillYear();
    const int march = f->settlement(Activity, Year, 3);
    db().execute(
        u"UPDATE RisultatoLiquidazioneIva SET DichiarazioneIntegrativa = 1, VariazioniImponibile = 1, "
        "AcquistoBeniAmmortizzabiliLettC = 1, VersamentoNonEffettuato = 1 WHERE IDRisultatoLiquidazioneIva = "_qs +
        QString::number(march));
    reportRow(1, march, Ordinary, 250.505);
    reportRow(2, march, NotDeclared, 999);
    f->amount(march, AmountType::ImportazioniImponibile, 1500);
    f->amount(march, AmountType::ImportazioniImposta, 330);

    struct {
        int tipoLiquidazione;
        const char *attive, *intra, *passive, *intraAcquisti;
    } cases[] = {
        // sales 1000 + 200 + 300 + 250 + 150 + 35, ventilated 250.505 (rounded to the cent)
        {0, "2185.51", "300", "625", "60"},
        {1, "2235.51", "300", "625", "60"}, // the quarter adds February
    };
    for (const auto &c : cases) {
        AltriDatiDip dip;
        DeclarationTotals(db(), identity(march, 3), c.tipoLiquidazione, Step::Cent).LoadAltriDatiDip(dip);
        EXPECT_EQ(dip.VP1_OperazioniAttive, m(c.attive)) << c.tipoLiquidazione;
        EXPECT_EQ(dip.VP1_CessioniIntracomunitarie, m(c.intra));
        EXPECT_EQ(dip.VP2_OperazioniPassive, m(c.passive));
        EXPECT_EQ(dip.VP2_AcquistiIntracomunitari, m(c.intraAcquisti));
        EXPECT_EQ(dip.VP3_Imponibile, m("1500"));
        EXPECT_EQ(dip.VP3_Imposta, m("330"));
        EXPECT_EQ(dip.VP1_CessioniDatiStrumentali, Money());
        EXPECT_EQ(dip.IDAttivitaAzienda, Activity);
        EXPECT_TRUE(dip.DichiarazioneIntegrativa);
        EXPECT_FALSE(dip.CorrettivaNeiTermini);
        EXPECT_TRUE(dip.VariazioniPeriodiPrec);
        EXPECT_TRUE(dip.AcquistiBeniAmmLettC);
        EXPECT_FALSE(dip.AliquotaMediaLettA);
        EXPECT_TRUE(dip.VersamentoNonEffettuato);
    }
}

TEST_P(DeclarationTotalsDb, TheCountersMonthsFollowThePeriodAndTheAdvanceMethod)
{
    for (int month = 1; month <= 12; ++month)
        f->counter(sale(Ordinary, 2, month + 0.005, month));
    auto advance = sale(Ordinary, 2, 1000.005, 12);
    advance.acconto = true;
    f->counter(advance);
    const int may = f->settlement(Activity, Year, 5);

    struct {
        int tipoLiquidazione, month, metodo;
        Step step;
        const char *expected;
    } cases[] = {
        {0, 5, 0, Step::Cent, "5.01"},
        {0, 5, 0, Step::Lira, "5"},
        {1, 9, 0, Step::Cent, "24.02"}, // July to September, the advance rows left out
        {1, 12, 0, Step::Cent, "33.02"},
        {0, 13, 0, Step::Cent, "1000.01"}, // analytical: the advance rows
        {1, 13, 0, Step::Cent, "1021.02"}, // October, November and the advance rows
        // other methods: the whole of December, whose advance rows are not told apart
        {0, 13, 1, Step::Cent, "1012.01"},
        {1, 13, 2, Step::Cent, "1033.02"},
    };
    for (const auto &c : cases) {
        AltriDatiDip dip;
        DeclarationTotals(db(), identity(may, c.month, c.metodo), c.tipoLiquidazione, c.step).LoadAltriDatiDip(dip);
        EXPECT_EQ(dip.VP1_OperazioniAttive, m(c.expected))
            << c.tipoLiquidazione << "/" << c.month << "/" << c.metodo << " step " << c.step.tenThousandths;
    }
}

TEST_P(DeclarationTotalsDb, TheAnnualCommunicationTotalsTheYear)
{
    fillYear();
    const int annual = f->settlement(Activity, Year, std::nullopt);
    db().execute(
        u"UPDATE RisultatoLiquidazioneIva SET VersamentoNonEffettuato = 1 WHERE IDRisultatoLiquidazioneIva = "_qs +
        QString::number(annual));
    reportRow(1, annual, Ordinary, 100);
    f->amount(annual, AmountType::ImportazioniImponibile, 1000);
    f->amount(annual, AmountType::ImportazioniImposta, 220);
    f->amount(annual, AmountType::RottamiImponibile, 500);
    f->amount(annual, AmountType::RottamiImposta, 110);

    DatiCADI cadi;
    DeclarationTotals(db(), identity(annual, 0), 0, Step::Cent).LoadDatiCADI(cadi);
    const struct {
        Money value;
        const char *expected;
        const char *what;
    } cases[] = {
        // 1000 + 200 + 300 + 50 + 111 + 250 + 150 + 35 and 100 ventilated
        {cadi.OperazioniAttive, "2196", "attive"},
        {cadi.OperazioniNonImponibili, "150", "non imponibili"},
        {cadi.OperazioniEsenti, "250", "esenti"},
        {cadi.OperazioniIntracomunitarie, "300", "cessioni intra"},
        {cadi.OperazioniBeniStrumentali, "35", "cessioni beni strumentali"},
        // 400 + 100 + 70 (split payment) + 60 + 30 + 20 + 15 + 1000 (April)
        {cadi.OperazioniPassive, "1695", "passive"},
        {cadi.AcquistiNonImponibili, "15", "acquisti non imponibili"},
        {cadi.AcquistiEsenti, "20", "acquisti esenti"},
        {cadi.AcquistiIntracomunitarie, "60", "acquisti intra"},
        {cadi.AcquistiBeniStrumentali, "30", "acquisti beni strumentali"},
        {cadi.Imponibile, "1000", "oro"},
        {cadi.Imposta, "220", "oro imposta"},
        {cadi.ImponibileRottami, "500", "rottami"},
        {cadi.ImpostaRottami, "110", "rottami imposta"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.value, m(c.expected)) << c.what;
    EXPECT_TRUE(cadi.EventiEccezionali);
    EXPECT_EQ(cadi.byIndex(12), m("35"));
    EXPECT_EQ(cadi.byIndex(9), m("220"));

    // A monthly settlement's communication covers its own month only.
    DatiCADI march;
    DeclarationTotals(db(), identity(annual, 3), 0, Step::Cent).LoadDatiCADI(march);
    EXPECT_EQ(march.OperazioniPassive, m("695"));
}

TEST_P(DeclarationTotalsDb, TheAnnualCommunicationTakesTheMonthsTheSettlementCovers)
{
    struct {
        int tipoLiquidazione, month;
        std::pair<int, int> range;
    } cases[] = {{0, 0, {1, 12}}, {1, 0, {1, 12}},   {0, 5, {5, 5}},
                 {1, 9, {7, 9}},  {0, 13, {12, 12}}, {1, 13, {10, 12}}};
    for (const auto &c : cases)
        EXPECT_EQ(DeclarationTotals(db(), identity(1, c.month), c.tipoLiquidazione, Step::Cent).annualMonthRange(),
                  c.range)
            << c.tipoLiquidazione << "/" << c.month;
}

TEST_P(DeclarationTotalsDb, AnEmptyPeriodGivesZerosAndNoFlags)
{
    const int february = f->settlement(Activity, Year, 2);
    AltriDatiDip dip;
    dip.VP1_OperazioniAttive = m("5"); // overwritten
    DeclarationTotals(db(), identity(february, 2), 0, Step::Cent).LoadAltriDatiDip(dip);
    EXPECT_EQ(dip.VP1_OperazioniAttive, Money());
    EXPECT_EQ(dip.VP2_OperazioniPassive, Money());
    EXPECT_EQ(dip.VP3_Imponibile, Money());
    EXPECT_FALSE(dip.DichiarazioneIntegrativa);
    DatiCADI cadi;
    DeclarationTotals(db(), identity(february, 2), 0, Step::Lira).LoadDatiCADI(cadi);
    EXPECT_EQ(cadi.OperazioniAttive, Money());
    EXPECT_FALSE(cadi.EventiEccezionali);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(DeclarationTotalsDb);

} // namespace
