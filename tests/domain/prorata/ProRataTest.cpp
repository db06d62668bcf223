#include "domain/prorata/cDatiProRata.h"

#include "domain/engine/Amounts.h"
#include "support/EngineFixture.h"
#include "support/MoneyText.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"

using namespace liqiva;
using namespace liqiva::test;

namespace {

// A percentage written as in the tables of cases: pc("72.5").
Percent pc(const char *text)
{
    return *Percent::parse(QString::fromUtf8(text));
}

TEST(ProRataPercentage, FollowsTheRuleWithHalfToEvenRounding)
{
    struct {
        const char *imponibili, *esenti;
        long long expected;
    } cases[] = {
        {"3", "1", 75},
        {"161", "39", 80},        // 80.5 goes to the even 80
        {"163", "37", 82},        // 81.5 goes to the even 82
        {"1", "199", 0},          // 0.5 -> 0
        {"3", "197", 2},          // 1.5 -> 2
        {"814996", "185004", 82}, // 81.4996 is first 81.500 at three decimals, then 82
        {"1", "2", 33},
        {"2", "1", 67},
        {"100", "0", 100}, // no exempt operations
        {"0", "100", 0},   // no taxable operations
        {"0", "0", 0},
        {"-5", "0", 0},
        {"5", "-5", 100}, // the sum is zero: 100, kept only when taxable > exempt
        {"-5", "5", 0},
        {"-50", "150", -50},  // inside the open range: kept as it is
        {"-100000", "-1", 0}, // 99.999 rounds to exactly 100 with taxable <= exempt
        {"100000", "1", 100},
        {"150", "-50", 100}, // 150 leaves the range: taxable > exempt
        {"-150", "50", 0},
        {"0.0001", "0.0001", 50},
    };
    for (const auto &c : cases)
        EXPECT_EQ(cDatiProRata::CalcolaPercProRata(m(c.imponibili), m(c.esenti)), Percent::points(c.expected))
            << c.imponibili << " / " << c.esenti;
}

// Company 1's VAT years 2024 (pro-rata 60%) and 2025 (55%) of a monthly activity, another
// activity's branch, four VAT codes and the activity's settlements of 2024.
class ProRataDb : public EngineFixtureTest {
protected:
    void SetUp() override
    {
        EngineFixtureTest::SetUp();
        const int company = f->company();
        Y2024 = f->vatYear(company, 2024, std::nullopt, true);
        const int y2025 = f->vatYear(company, 2025, std::nullopt, true);
        Activity = f->activity(company);
        Other = f->activity(company);
        Branch = f->branch(company, Activity);
        OtherBranch = f->branch(company, Other);
        Row2024 = f->activityYear(Activity, Y2024, {.extra = u"GestioneProRata = 1, PercentualeProRata = 60"_qs});
        Row2025 = f->activityYear(Activity, y2025, {.extra = u"GestioneProRata = 1, PercentualeProRata = 55"_qs});
        EXPECT_EQ(f->vatCode(VatCode{u"22"_qs, 22}), 1);
        EXPECT_EQ(f->vatCode(VatCode{u"E10"_qs, 0, 3}), 2);      // exempt
        EXPECT_EQ(f->vatCode(VatCode{u"NP"_qs, 0, 3, true}), 3); // exempt, left out of the pro-rata
        EXPECT_EQ(f->vatCode(VatCode{u"N"_qs, 0, 1}), 4);        // non-taxable: counts as taxable
        Annual = f->settlement(Activity, Y2024, std::nullopt);
        March = f->settlement(Activity, Y2024, 3);
        Advance = f->settlement(Activity, Y2024, std::nullopt, true, 0); // analytical
    }

    cDatiProRata loaded(int settlement, int month, int metodo = 0)
    {
        cDatiProRata p(db());
        p.setIDUtente(5);
        p.setIDAttivitaAzienda(Activity);
        p.setIDPeriodoIva(Y2024);
        p.setIDMese(month);
        p.setMetodoCalcoloAccontoIva(metodo);
        p.LoadDati(settlement);
        return p;
    }
    void counter(int iva, int kind, int mese, double imponibile, double importo = 0, bool acconto = false,
                 bool other = false)
    {
        f->counter({.kind = kind,
                    .idIva = iva,
                    .anno = 2024,
                    .mese = mese,
                    .idFiliale = other ? OtherBranch : Branch,
                    .imponibile = imponibile,
                    .importo = importo,
                    .acconto = acconto});
    }
    QString ofRow(int row) { return u" WHERE IDAttivitaAziendaPerPeriodoIva = "_qs + QString::number(row); }

    int Y2024 = 0, Activity = 0, Other = 0, Branch = 0, OtherBranch = 0, Row2024 = 0, Row2025 = 0;
    int Annual = 0, March = 0, Advance = 0;
};

TEST_P(ProRataDb, DeductibleVatIsRoundedToTheCurrencyHalfAwayFromZero)
{
    cDatiProRata p(db());
    struct {
        const char *iva, *perc;
        bool decimali;
        const char *expected;
    } cases[] = {
        {"1000", "75", true, "750"},     {"333.33", "80", true, "266.66"}, // 266.664
        {"10.01", "50", true, "5.01"},                                     // 5.005: away from zero
        {"-10.01", "50", true, "-5.01"}, {"1001", "50", false, "501"},     // lire: 500.5
        {"1003", "50", false, "502"},    {"0", "50", true, "0"},           {"100", "0", true, "0"},
    };
    for (const auto &c : cases) {
        p.setDecimali(c.decimali);
        EXPECT_EQ(p.CalcolaIvaDetraibile(m(c.iva), pc(c.perc)), m(c.expected)) << c.iva << " x " << c.perc;
    }
}

TEST_P(ProRataDb, TheAnnualSettlementTakesItsOperationsFromTheYearsCounters)
{
    counter(1, 2, 1, 600);                 // sales at 22%
    counter(4, 3, 5, 150);                 // non-taxable, entered with receipts
    counter(1, 7, 12, 50);                 // suspended sales
    counter(2, 2, 6, 300);                 // exempt
    counter(3, 2, 6, 999);                 // exempt but left out of the pro-rata
    counter(1, 1, 6, 5000);                // purchases: not an operation for the pro-rata
    counter(1, 2, 12, 777, 0, true);       // advance row: not in the year
    counter(1, 2, 4, 888, 0, false, true); // another activity's branch
    f->counter({.kind = 2,
                .idIva = 1,
                .anno = 2024,
                .mese = 3,
                .idFiliale = Branch,
                .imponibile = 444,
                .riporto = false}); // a row kept out of the settlement
    f->amount(March, AmountType::TotIvaCredito, 120);
    f->amount(Advance, AmountType::TotIvaCredito, 10);  // the advance has no month: not counted
    f->amount(Annual, AmountType::TotIvaCredito, 9999); // the annual settlement does not

    cDatiProRata p = loaded(Annual, 0);
    EXPECT_TRUE(p.GestioneProRata());
    EXPECT_EQ(p.OperazioniImponibili(), m("800"));
    EXPECT_EQ(p.OperazioniEsenti(), m("300"));
    EXPECT_TRUE(p.OperazioniImponibiliCalcolate());
    EXPECT_TRUE(p.OperazioniEsentiCalcolate());
    EXPECT_EQ(p.PercProRata(), pc("73")); // 72.727 replaces the stored 60
    EXPECT_EQ(p.IvaDetratta(), m("120"));

    // Typed operations are stored and shown instead of the counters until recomputed.
    p.setOperazioniEsenti(m("200"));
    EXPECT_FALSE(p.OperazioniEsentiCalcolate());
    EXPECT_EQ(p.PercProRata(), pc("80"));
    p.SaveOperazioni();
    EXPECT_EQ(f->number(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIvaXTipo WHERE IDRisultatoLiquidazioneIva = "_qs +
                        QString::number(Annual) + u" AND IDTipoRisultatoLiquidazioneIva IN (46, 47)"_qs),
              1);
    cDatiProRata again = loaded(Annual, 0);
    EXPECT_EQ(again.OperazioniEsenti(), m("200"));
    EXPECT_FALSE(again.OperazioniEsentiCalcolate());
    EXPECT_EQ(again.OperazioniEsentiDaContatori(), m("300"));
    EXPECT_EQ(again.PercProRata(), pc("80"));
    // "Ricalcola" and "Aggiorna": back to the counters, nothing stored any more.
    again.Aggiorna(again.OperazioniImponibiliDaContatori(), again.OperazioniEsentiDaContatori(), pc("73"));
    EXPECT_TRUE(again.OperazioniEsentiCalcolate());
    again.SaveOperazioni();
    EXPECT_EQ(f->number(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIvaXTipo WHERE IDTipoRisultatoLiquidazioneIva "
                        "IN (46, 47)"_qs),
              0);
}

TEST_P(ProRataDb, PeriodicSettlementsKeepTheStoredPercentageAndReadTheBookedUndeductibleVat)
{
    counter(1, 11, 3, 0, 40);
    counter(1, 11, 2, 0, 7);
    counter(1, 11, 1, 0, 3);
    counter(1, 11, 12, 0, 20);
    counter(1, 11, 11, 0, 5);
    counter(1, 11, 12, 0, 9, true);          // advance counter
    counter(1, 11, 3, 0, 1000, false, true); // another activity
    struct {
        int tipoLiquidazione, settlement, month, metodo;
        const char *expected;
    } cases[] = {
        {0, March, 3, 0, "40"},    {1, March, 3, 0, "50"}, // the quarter: months 1 to 3
        {0, Advance, 13, 0, "9"},                          // analytical advance: the advance counters
        {0, Advance, 13, 1, "20"},                         // other methods: December, without the advance copies
        {1, Advance, 13, 0, "14"},                         // quarterly analytical: October, November and the advance
        {1, Advance, 13, 2, "25"},                         // quarterly: October to December, without the copies
    };
    for (const auto &c : cases) {
        db().execute(u"UPDATE AttivitaAziendaPerPeriodoIva SET TipoLiquidazioneIva = "_qs +
                     QString::number(c.tipoLiquidazione) + ofRow(Row2024));
        cDatiProRata p = loaded(c.settlement, c.month, c.metodo);
        EXPECT_EQ(p.IvaIndetraibileContabilizzata(), m(c.expected)) << c.tipoLiquidazione << "/" << c.month;
        EXPECT_EQ(p.PercProRata(), pc("60"));
    }
    cDatiProRata p = loaded(March, 3);
    p.setTotaleIvaAcquisti(m("1000.01"));
    const auto s = p.CalcolaStornoPeriodo();
    EXPECT_EQ(s.ivaDetraibile, m("600.01")); // 600.006
    EXPECT_EQ(s.ivaIndetraibile, m("400"));
    EXPECT_EQ(s.ivaIndetraibileDaStornare, m("350")); // quarterly from the last case: 50 booked
}

TEST_P(ProRataDb, WithoutProRataOrUnderArticle34ThePercentageIs100)
{
    struct {
        const char *settings;
        bool gestione;
        const char *perc;
    } cases[] = {
        {"GestioneProRata = 1, Articolo34 = 0", true, "60"},
        {"GestioneProRata = 1, Articolo34 = 1", false, "100"},
        {"GestioneProRata = 0, Articolo34 = 0", false, "100"},
        {"GestioneProRata = NULL, Articolo34 = NULL", false, "100"},
    };
    for (const auto &c : cases) {
        db().execute(u"UPDATE AttivitaAziendaPerPeriodoIva SET "_qs + QString::fromLatin1(c.settings) + ofRow(Row2024));
        cDatiProRata p = loaded(March, 3);
        EXPECT_EQ(p.GestioneProRata(), c.gestione) << c.settings;
        EXPECT_EQ(p.PercProRata(), pc(c.perc)) << c.settings;
    }
    // no settings row for the activity and year at all
    cDatiProRata none(db());
    none.setIDAttivitaAzienda(Other);
    none.setIDPeriodoIva(Y2024);
    none.LoadDati(0);
    EXPECT_FALSE(none.GestioneProRata());
    EXPECT_EQ(none.PercProRata(), pc("100"));
}

TEST_P(ProRataDb, TheAnnualAdjustmentSaysWhatToRecoverOrToPayBack)
{
    cDatiProRata p = loaded(Annual, 0);
    struct {
        const char *imponibili, *esenti, *ivaAcquisti, *ivaDetratta;
        const char *perc, *detraibile, *recuperare, *versare;
    } cases[] = {
        {"3", "1", "1000", "700", "75", "750", "50", "0"},
        {"3", "1", "1000", "750", "75", "750", "0", "0"},
        {"161", "39", "1000", "850", "80", "800", "0", "50"},
        {"100", "0", "99.99", "0", "100", "99.99", "99.99", "0"},
    };
    for (const auto &c : cases) {
        const auto r = p.CalcolaConguaglioAnnuale(m(c.imponibili), m(c.esenti), m(c.ivaAcquisti), m(c.ivaDetratta));
        EXPECT_EQ(r.percentuale, pc(c.perc));
        EXPECT_EQ(r.ivaDetraibile, m(c.detraibile));
        EXPECT_EQ(r.ivaDaRecuperare, m(c.recuperare));
        EXPECT_EQ(r.ivaDaVersare, m(c.versare));
    }
}

TEST_P(ProRataDb, ThePercentageIsOfferedForTheNextYearAfterTheAnnualSettlement)
{
    // As the save offers it: put to the user, written on a yes.
    const auto offer = [](cDatiProRata &p, MessageService &messages) {
        const cDatiProRata::Aggiornamento a = p.PreparaAggiornamento();
        if (!a.domanda || !ask(messages, *a.domanda) || a.idAttivitaAziendaPerPeriodoIva == 0)
            return false;
        p.ScriviPercentuale(a.idAttivitaAziendaPerPeriodoIva);
        return true;
    };
    struct {
        int settlement, month;
        Answer answer;
        int anno;
        int row;
        const char *stored; // PercentualeProRata of that row afterwards
        bool written;
    } cases[] = {
        {Annual, 0, Answer::Yes, 2025, Row2025, "80", true},
        {Annual, 0, Answer::No, 2025, Row2025, "55", false},
        {March, 3, Answer::Yes, 2024, Row2024, "80", true},
    };
    for (const auto &c : cases) {
        db().execute(u"UPDATE AttivitaAziendaPerPeriodoIva SET PercentualeProRata = 60"_qs + ofRow(Row2024));
        db().execute(u"UPDATE AttivitaAziendaPerPeriodoIva SET PercentualeProRata = 55"_qs + ofRow(Row2025));
        cDatiProRata p = loaded(c.settlement, c.month);
        p.setPercProRata(pc("80"));
        EXPECT_EQ(p.AnnoPercentuale(), c.anno);
        ScriptedMessages messages;
        messages.answer(c.answer);
        EXPECT_EQ(offer(p, messages), c.written);
        EXPECT_EQ(messages.texts(), QStringList{cDatiProRata::questionAggiornaPercentuale(c.anno)});
        EXPECT_EQ(Money::fromVariant(
                      db().scalar(u"SELECT PercentualeProRata FROM AttivitaAziendaPerPeriodoIva"_qs + ofRow(c.row))),
                  m(c.stored));
    }
    // The following year without pro-rata: the warning, and nothing is written.
    db().execute(u"UPDATE AttivitaAziendaPerPeriodoIva SET GestioneProRata = 0"_qs + ofRow(Row2025));
    cDatiProRata p = loaded(Annual, 0);
    p.setPercProRata(pc("80"));
    ScriptedMessages messages;
    EXPECT_FALSE(offer(p, messages));
    EXPECT_EQ(messages.texts(), QStringList{cDatiProRata::msgPercentualeNonAggiornata(2025)});
    // Nor is anything asked when the percentage is already stored.
    cDatiProRata same = loaded(March, 3);
    ScriptedMessages quiet;
    EXPECT_FALSE(offer(same, quiet));
    EXPECT_TRUE(quiet.texts().isEmpty());
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(ProRataDb);

} // namespace
