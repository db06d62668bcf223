#include "domain/engine/Amounts.h"

#include "database/DbError.h"
#include "support/EngineFixture.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"

using namespace liqiva;
using namespace liqiva::test;

namespace {

Money M(double value)
{
    return Money::fromDouble(value);
}

constexpr int User = 5;

// Company 1's VAT year 2024, a monthly activity with both special credits (1,000.00 and
// 500.00), its settlements of March, the December advance (historical) and the year.
class AmountsDb : public EngineFixtureTest {
protected:
    void SetUp() override
    {
        EngineFixtureTest::SetUp();
        Company = f->company();
        Year = f->vatYear(Company, 2024, std::nullopt, true);
        Activity = f->activity(Company);
        Branch = f->branch(Company, Activity);
        ActivityYear =
            f->activityYear(Activity, Year,
                            {.creditoAutotrasportatori = 1000,
                             .extra = u"Autotrasportatore = 1, AltriCrediti = 1, AltriCreditiImposta = 500"_qs});
        March = f->settlement(Activity, Year, 3);
        Advance = f->settlement(Activity, Year, std::nullopt, true, 1);
        Annual = f->settlement(Activity, Year, std::nullopt);
    }

    Amounts loaded(int month, bool units = true)
    {
        Amounts a(db(), User);
        a.setImpUnita(units);
        a.LoadByPeriod(Activity, Year, month);
        return a;
    }
    QString ofSettlement(int settlement)
    {
        return u"SELECT COUNT(*) FROM RisultatoLiquidazioneIvaXTipo WHERE IDRisultatoLiquidazioneIva = "_qs +
               QString::number(settlement);
    }
    double stored(int settlement, int type, const QString &extra = {})
    {
        return f->number(u"SELECT Importo FROM RisultatoLiquidazioneIvaXTipo WHERE IDRisultatoLiquidazioneIva = "_qs +
                         QString::number(settlement) + u" AND IDTipoRisultatoLiquidazioneIva = "_qs +
                         QString::number(type) + extra);
    }
    int rowCount(int settlement, int type)
    {
        return int(
            f->number(ofSettlement(settlement) + u" AND IDTipoRisultatoLiquidazioneIva = "_qs + QString::number(type)));
    }
    double residue(const char *column)
    {
        return f->number(u"SELECT "_qs + QString::fromLatin1(column) +
                         u" FROM AttivitaAziendaPerPeriodoIva WHERE IDAttivitaAziendaPerPeriodoIva = "_qs +
                         QString::number(ActivityYear));
    }

    int Company = 0, Year = 0, Activity = 0, Branch = 0, ActivityYear = 0, March = 0, Advance = 0, Annual = 0;
};

TEST_P(AmountsDb, SavingTwiceKeepsOneRowPerNonZeroTypeAndLoadsBackTheSameAmounts)
{
    struct {
        int type;
        double value;
        int rowsExpected;
    } cases[] = {
        {AmountType::IvaPeriodo, -150, 1}, // a credit of 150: stored negative
        {AmountType::CreDimLiquiSucc, 150, 1},
        {AmountType::IvaDaVersare, 0, 0}, // zero is never stored
        {AmountType::IntTrimDovuti, 12.34, 1},
        {AmountType::VarRavvOperoso, 0.0001, 1},
        {AmountType::CreditoPrec, 1234567.89, 1},
        {AmountType::AccontoVersato, 99, 0}, // the document writes the advance payment, not Save
        {AmountType::IntAnnDovuti, 10, 0},   // annual types are not written for a month
    };
    Amounts a = loaded(3);
    ASSERT_EQ(a.IDRisultatoLiquidazioneIva(), March);
    f->amount(March, AmountType::IvaDaVersare, 80); // an amount that has fallen to zero
    for (const auto &c : cases)
        a.setImporto(c.type, M(c.value));
    a.Save();
    a.Save();
    for (const auto &c : cases) {
        EXPECT_EQ(rowCount(March, c.type), c.rowsExpected) << c.type;
        if (c.rowsExpected)
            EXPECT_DOUBLE_EQ(stored(March, c.type), c.value) << c.type;
    }
    EXPECT_EQ(
        f->number(ofSettlement(March) +
                  u" AND IDUtenteUltimaVariazione = 5 AND DataUltimaVariazione IS NOT NULL AND VirtualDelete = 0"_qs),
        5);

    Amounts back = loaded(3);
    EXPECT_EQ(back.IDRisultatoLiquidazioneIva(), March);
    for (const auto &c : cases)
        EXPECT_EQ(back.Importo(c.type), M(c.rowsExpected ? c.value : 0)) << c.type;
    EXPECT_EQ(back.collection().value(Amounts::Key{0, 12}).toDouble(), -150);
}

TEST_P(AmountsDb, ThousandsAreStoredTimesAThousandAndReadBackDivided)
{
    struct {
        double thousands;
        double stored;
    } cases[] = {{1234, 1234000}, {0.5, 500}, {-2.001, -2001}, {0.0004, 0.4}};
    const int types[] = {AmountType::IvaPeriodo, AmountType::IntTrimDovuti, AmountType::DebitoPrec,
                         AmountType::VarImpCre};
    Amounts a = loaded(3, false);
    for (size_t i = 0; i < std::size(cases); ++i)
        a.setImporto(types[i], M(cases[i].thousands));
    a.Save();
    Amounts back = loaded(3, false);
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_DOUBLE_EQ(stored(March, types[i]), cases[i].stored) << i;
        EXPECT_NEAR(back.Importo(types[i]).toDouble(), cases[i].thousands, 1e-9) << i;
    }
    EXPECT_DOUBLE_EQ(loaded(3, true).IvaPeriodo().toDouble(), 1234000); // the same rows read in units
}

TEST_P(AmountsDb, TheAnnualSettlementWritesOnlyItsInterest)
{
    f->amount(Annual, AmountType::IvaPeriodo, 77); // written by someone else: left alone
    Amounts a = loaded(0);
    ASSERT_EQ(a.IDRisultatoLiquidazioneIva(), Annual);
    a.setIntAnnDovuti(M(10));
    a.setIntAnnDovutiCalc(M(11.5));
    a.setIvaPeriodo(M(99));
    a.setCreDimLiquiSucc(M(5));
    a.Save();
    EXPECT_EQ(f->number(ofSettlement(Annual)), 3);
    EXPECT_DOUBLE_EQ(stored(Annual, AmountType::IntAnnDovuti), 10);
    EXPECT_DOUBLE_EQ(stored(Annual, AmountType::IntAnnDovutiCalc), 11.5);
    EXPECT_DOUBLE_EQ(stored(Annual, AmountType::IvaPeriodo), 77);
}

TEST_P(AmountsDb, SpecialCreditsUsedMoveTheYearsCreditsAndComeBackOnDelete)
{
    struct {
        double autotraspUti, altriUti;
        double residueAutotrasp, residueAltri;
    } steps[] = {
        {300, 100, 700, 400}, {200, 100, 800, 400}, // saving again books only the difference
        {200, 100, 800, 400}, {1000, 500, 0, 0},    {0, 0, 1000, 500}, {250.25, 0.75, 749.75, 499.25},
    };
    Amounts a = loaded(3);
    for (const auto &s : steps) {
        a.setCreAutotraspUti(M(s.autotraspUti));
        a.setAltriCreImpUti(M(s.altriUti));
        a.Save();
        EXPECT_DOUBLE_EQ(residue("CreditoIvaAutotrasportatori"), s.residueAutotrasp) << s.autotraspUti;
        EXPECT_DOUBLE_EQ(residue("AltriCreditiImposta"), s.residueAltri) << s.altriUti;
        // what the settlement may use stays the credit of the year
        EXPECT_DOUBLE_EQ(a.CreAutotrasp().toDouble(), 1000);
        EXPECT_DOUBLE_EQ(a.AltriCreImp().toDouble(), 500);
        EXPECT_DOUBLE_EQ(loaded(3).CreAutotrasp().toDouble(), 1000);
    }
    EXPECT_DOUBLE_EQ(a.CreditiSpeciali().toDouble(), 251);

    a.Delete();
    EXPECT_DOUBLE_EQ(residue("CreditoIvaAutotrasportatori"), 1000);
    EXPECT_DOUBLE_EQ(residue("AltriCreditiImposta"), 500);
    EXPECT_EQ(f->number(ofSettlement(March)), 0);
    EXPECT_DOUBLE_EQ(a.CreAutotraspUti().toDouble(), 0);

    // The December advance does not book the credits it shows.
    Amounts adv = loaded(13);
    ASSERT_EQ(adv.IDRisultatoLiquidazioneIva(), Advance);
    adv.setCreAutotraspUti(M(300));
    adv.Save();
    EXPECT_DOUBLE_EQ(residue("CreditoIvaAutotrasportatori"), 1000);
    EXPECT_DOUBLE_EQ(stored(Advance, AmountType::CreAutotraspUti), 300);
}

TEST_P(AmountsDb, CheckAmountsRefusesSpecialCreditsBeyondWhatIsAvailableOrDue)
{
    struct {
        const char *switches; // the activity's year before loading
        double autotraspUti, altriUti, ivaPeriodo;
        QString message; // empty: accepted
    } cases[] = {
        {"", 300, 100, 400, {}},
        {"", 300, 100.01, 400, Amounts::msgCreditiSpecialiMaggioriImposta()},
        {"", 1000.01, 0, 5000, Amounts::msgCreditoUtilizzatoMaggiore()},
        {"", 0, 500.01, 5000, Amounts::msgCreditoUtilizzatoMaggiore()},
        {"", 1000, 500, 1500, {}},
        {"", -1, 0, 100, Amounts::msgCreditoUtilizzatoNegativo()},
        {"", 100, 0, -50, Amounts::msgCreditiSpecialiMaggioriImposta()}, // a credit period owes nothing
        {"", 0, 0, -50, {}},
        {"Autotrasportatore = 0", 0.01, 0, 100, Amounts::msgCreditoUtilizzatoMaggiore()},
        {"Autotrasportatore = 1, CreditoIvaAutotrasportatori = NULL", 1, 0, 100,
         Amounts::msgCreditoUtilizzatoMaggiore()},
    };
    for (const auto &c : cases) {
        if (*c.switches)
            db().execute(u"UPDATE AttivitaAziendaPerPeriodoIva SET "_qs + QString::fromLatin1(c.switches));
        Amounts a = loaded(3);
        a.setCreAutotraspUti(M(c.autotraspUti));
        a.setAltriCreImpUti(M(c.altriUti));
        a.setIvaPeriodo(M(c.ivaPeriodo));
        EXPECT_EQ(a.CheckAmounts().value_or(QString()), c.message) << c.autotraspUti << " " << c.altriUti;
    }
}

TEST_P(AmountsDb, AFailedSaveLeavesTheStoredAmountsAndCreditsAsTheyWere)
{
    Amounts a = loaded(3);
    a.setIvaPeriodo(M(100));
    a.setCreAutotraspUti(M(300));
    a.Save();
    // the credit booking at the end of the save will fail
    db().execute(
        u"ALTER TABLE AttivitaAziendaPerPeriodoIva RENAME COLUMN AltriCreditiImposta TO AltriCreditiImpostaX"_qs);
    a.setIvaPeriodo(M(-40));
    a.setCreAutotraspUti(M(500));
    a.setDebitoPrec(M(3));
    EXPECT_THROW(a.Save(), DbError);
    EXPECT_EQ(db().transactionDepth(), 0);
    EXPECT_DOUBLE_EQ(stored(March, AmountType::IvaPeriodo), 100);
    EXPECT_DOUBLE_EQ(stored(March, AmountType::CreAutotraspUti), 300);
    EXPECT_EQ(rowCount(March, AmountType::DebitoPrec), 0);
    EXPECT_DOUBLE_EQ(residue("CreditoIvaAutotrasportatori"), 700);
}

TEST_P(AmountsDb, ASettlementOfAllActivitiesKeepsOneRowPerSettlementType)
{
    const int all = f->settlement(std::nullopt, Year, 3);
    Amounts a(db(), User);
    a.LoadByPeriod(0, Year, 3);
    ASSERT_EQ(a.IDRisultatoLiquidazioneIva(), all);
    a.setLiquidationType(0);
    a.setIvaPeriodo(M(100));
    a.setLiquidationType(1);
    a.setIvaPeriodo(M(-40));
    a.setIntTrimDovuti(M(2.5));
    a.Save();
    EXPECT_DOUBLE_EQ(stored(all, AmountType::IvaPeriodo, u" AND TipoLiquidazioneIva = 0"_qs), 100);
    EXPECT_DOUBLE_EQ(stored(all, AmountType::IvaPeriodo, u" AND TipoLiquidazioneIva = 1"_qs), -40);
    EXPECT_EQ(rowCount(all, AmountType::IntTrimDovuti), 1);

    Amounts back(db(), User);
    back.LoadByPeriod(0, Year, 3);
    EXPECT_DOUBLE_EQ(back.IvaPeriodo().toDouble(), 100);
    back.setLiquidationType(1);
    EXPECT_DOUBLE_EQ(back.IvaPeriodo().toDouble(), -40);
    EXPECT_DOUBLE_EQ(back.IntTrimDovuti().toDouble(), 2.5);
    // the activity's settlement is not the one of all activities
    EXPECT_DOUBLE_EQ(loaded(3).IvaPeriodo().toDouble(), 0);
}

TEST_P(AmountsDb, LoadingByPeriodFindsTheSettlementOfThatPeriodOnly)
{
    const int working = f->settlement(Activity, Year, 4, false, 0, 2); // a working row of a user
    const int other = f->activity(Company);
    const int othersMay = f->settlement(other, Year, 5);
    struct {
        int activity, month;
        int key;
    } cases[] = {{Activity, 3, March},   {Activity, 13, Advance}, {Activity, 0, Annual},
                 {Activity, 4, working}, {Activity, 5, 0},        {other, 5, othersMay}};
    for (const auto &c : cases) {
        Amounts a(db(), User);
        a.setIDRisultatoLiquidazioneIva(999);
        a.LoadByPeriod(c.activity, Year, c.month);
        EXPECT_EQ(a.IDRisultatoLiquidazioneIva(), c.key) << c.activity << "/" << c.month;
    }
    // Refresh reads the identity of the key back.
    Amounts r(db(), User);
    r.setIDRisultatoLiquidazioneIva(Advance);
    f->amount(Advance, AmountType::IvaDaVersare, 880);
    r.Refresh();
    EXPECT_EQ(r.IDMese(), 13);
    EXPECT_EQ(r.MetodoCalcoloAccontoIva(), 1);
    EXPECT_EQ(r.IDAttivitaAzienda(), Activity);
    EXPECT_DOUBLE_EQ(r.IvaDaVersare().toDouble(), 880);
}

TEST_P(AmountsDb, TheDecemberAdvanceSummarySumsTheYearBySettlementType)
{
    const int quarterly = f->activity(Company);
    f->activityYear(quarterly, Year,
                    {.tipoLiquidazione = 1, .creditoAutotrasportatori = 50, .extra = u"Autotrasportatore = 1"_qs});
    const int otherCompany = f->vatYear(Company + 1, 2024);
    const int lastYear = f->vatYear(Company, 2023);
    f->activityYear(Activity, otherCompany);
    f->activityYear(Activity, lastYear);
    const struct {
        std::optional<int> activity;
        int year, month, virtualDelete;
        QVector<std::pair<int, double>> amounts;
    } settlements[] = {
        {Activity, Year, 1, 0, {{11, 100}, {20, 7}, {36, 1}}},
        {Activity, Year, 2, 0, {{11, 200}, {4, 30}}},
        {Activity, Year, 13, 0, {{11, 999}}}, // the advance itself is left out
        {quarterly, Year, 3, 0, {{11, 50}}},
        {quarterly, Year, 6, 0, {{11, 70}}},
        {Activity, Year, 4, 2, {{11, 1000}}}, // a working row
        {Activity, otherCompany, 1, 0, {{11, 4000}}},
        {Activity, lastYear, 1, 0, {{11, 8000}}},
    };
    for (const auto &s : settlements) {
        const bool advance = s.month == 13;
        const int key = f->settlement(s.activity, s.year, advance ? std::nullopt : std::optional(s.month), advance, 0,
                                      s.virtualDelete);
        for (const auto &[type, amount] : s.amounts)
            f->amount(key, type, amount);
    }
    // all activities, typed by settlement type
    f->amount(f->settlement(std::nullopt, Year, 5), 11, 5, 1);

    Amounts a(db(), User);
    a.LoadByPeriodXRiepilogoAccontoDicembre(Activity, 2024);
    const QMap<Amounts::Key, Money> expected = {
        {{0, 11}, Money::units(300)},
        {{1, 11}, Money::units(125)},
        {{0, 4}, Money::units(30)},
    };
    EXPECT_EQ(a.collection(), expected);
    EXPECT_EQ(a.IDMese(), 13);
    EXPECT_DOUBLE_EQ(a.CreAutotrasp().toDouble(), 1030); // 1000 left and 30 used
    EXPECT_DOUBLE_EQ(a.AltriCreImp().toDouble(), 500);
    a.setLiquidationType(1);
    EXPECT_DOUBLE_EQ(a.IvaDaVersare().toDouble(), 125);
    EXPECT_DOUBLE_EQ(a.CreAutotrasp().toDouble(), 50);
    EXPECT_DOUBLE_EQ(a.AltriCreImp().toDouble(), 0);
    EXPECT_FALSE(a.ChkAltriCreImp());
}

TEST_P(AmountsDb, EarlierSettlementsOfTheYearGiveTheRunningTotals)
{
    const int january = f->settlement(Activity, Year, 1);
    const int february = f->settlement(Activity, Year, 2);
    f->amount(january, AmountType::TotIvaCredito, 100);
    f->amount(january, AmountType::TotIvaDebito, 40);
    f->amount(february, AmountType::TotIvaCredito, 50.5);
    f->amount(february, AmountType::AltreVarDeb, 3);
    f->amount(f->settlement(Activity, Year, 4), AmountType::TotIvaCredito, 1000); // later: not counted
    f->amount(March, AmountType::TotIvaCredito, 7);                               // this one: not counted
    Amounts a = loaded(3);
    EXPECT_DOUBLE_EQ(a.TotIVACreditoPrec().toDouble(), 150.5);
    EXPECT_DOUBLE_EQ(a.TotIVADebitoPrec().toDouble(), 40);
    EXPECT_DOUBLE_EQ(a.AltreVarDebPrec().toDouble(), 3);
    EXPECT_DOUBLE_EQ(a.VarImpCrePrecCalc().toDouble(), 0);
}

TEST_P(AmountsDb, TheCreditFromDepreciableGoodsTakesThePeriodsCapitalPurchases)
{
    const int otherBranch = f->branch(Company, f->activity(Company));
    const Counter base{
        .kind = 1, .idIva = 1, .anno = 2024, .mese = 3, .idFiliale = Branch, .importo = 220, .classeConto = 10};
    f->counter(base);
    Counter goods = base; // goods for resale: not depreciable
    goods.classeConto = 7;
    goods.importo = 100;
    f->counter(goods);
    Counter february = base;
    february.mese = 2;
    february.classeConto = 15;
    february.importo = 30.5;
    f->counter(february);
    Counter elsewhere = base;
    elsewhere.idFiliale = otherBranch;
    f->counter(elsewhere);
    Counter sale = base;
    sale.kind = 2;
    f->counter(sale);

    struct {
        int tipoLiquidazione;
        double expected;
    } cases[] = {{0, 220}, {1, 250.5}};
    for (const auto &c : cases) {
        db().execute(u"UPDATE AttivitaAziendaPerPeriodoIva SET TipoLiquidazioneIva = "_qs +
                     QString::number(c.tipoLiquidazione));
        Amounts a = loaded(3);
        EXPECT_DOUBLE_EQ(a.CalcolaCreditoBeniAmmortizzabili().toDouble(), c.expected) << c.tipoLiquidazione;
    }
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(AmountsDb);

} // namespace
