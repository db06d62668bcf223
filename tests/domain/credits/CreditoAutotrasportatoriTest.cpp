#include "domain/credits/CreditoAutotrasportatori.h"

#include "database/DbError.h"
#include "domain/engine/Amounts.h"
#include "support/EngineFixture.h"
#include "support/Failure.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"

#include <limits>

using namespace liqiva;
using namespace liqiva::test;

namespace {

constexpr int User = 4;
constexpr int Missing = 55; // a new settlement without a header yet

// A trucker's 1999 (500 lire of credit: March uses 300 as its report header says, April 200,
// the year 500) and 2005 (700 euro of credit: May uses 300).
class TruckersCredit : public EngineFixtureTest {
protected:
    void SetUp() override
    {
        EngineFixtureTest::SetUp();
        Company = f->company();
        Lire = f->vatYear(Company, 1999, std::nullopt, true);
        Euro = f->vatYear(Company, 2005, std::nullopt, true);
        Activity = f->activity(Company);
        LireRow =
            f->activityYear(Activity, Lire, {.creditoAutotrasportatori = 500, .extra = u"Autotrasportatore = 1"_qs});
        EuroRow =
            f->activityYear(Activity, Euro, {.creditoAutotrasportatori = 700, .extra = u"Autotrasportatore = 1"_qs});
        March = f->settlement(Activity, Lire, 3);
        April = f->settlement(Activity, Lire, 4);
        Annual = f->settlement(Activity, Lire, std::nullopt);
        Advance = f->settlement(Activity, Lire, std::nullopt, true, 1);
        May = f->settlement(Activity, Euro, 5);
        f->amount(March, 4, 300);
        f->amount(April, 4, 200);
        f->amount(May, 4, 300);
        header(March, u"300"_qs);
        header(April, u"200"_qs);
        header(Annual, u"500"_qs); // the year's use
        header(Advance, u"NULL"_qs);
    }
    void header(int settlement, const QString &used)
    {
        db().execute(
            u"INSERT INTO CampoReportLiquidazioneIva (IDCampoReportLiquidazioneIva, IDRisultatoLiquidazioneIva, "
            "CreditoAutotrasportatori) VALUES ("_qs +
            QString::number(settlement) + u", "_qs + QString::number(settlement) + u", "_qs + used + u")"_qs);
    }
    SettlementIdentity id(int key, int month, int anno = 1999) const
    {
        return identity(key, Activity, anno < 2000 ? Lire : Euro, month, anno, Company);
    }
    CreditoAutotrasportatori loaded(int key, int month, int anno = 1999)
    {
        CreditoAutotrasportatori c(db(), User);
        c.Load(id(key, month, anno), currencyStep(anno >= 2000));
        return c;
    }
    double column(bool euro = false)
    {
        return f->number(u"SELECT CreditoIvaAutotrasportatori FROM AttivitaAziendaPerPeriodoIva WHERE "
                         "IDAttivitaAziendaPerPeriodoIva = "_qs +
                         QString::number(euro ? EuroRow : LireRow));
    }
    std::optional<double> typeFour(int settlement)
    {
        return f->value(u"SELECT Importo FROM RisultatoLiquidazioneIvaXTipo WHERE IDTipoRisultatoLiquidazioneIva = 4 "
                        u"AND IDRisultatoLiquidazioneIva = "_qs + QString::number(settlement));
    }

    int Company = 0, Lire = 0, Euro = 0, Activity = 0, LireRow = 0, EuroRow = 0;
    int March = 0, April = 0, Annual = 0, Advance = 0, May = 0;
};

TEST_P(TruckersCredit, TheAvailableCreditCountsWhatTheSettlementItselfAlreadyUses)
{
    f->amount(March, 6, 40); // the other credits of the period count as well
    f->amount(March, 9, 77); // an advance payment does not
    struct {
        int key, month;
        double available, used, residual;
    } cases[] = {
        {March, 3, 840, 300, 540},  {April, 4, 700, 200, 500},
        {Annual, 0, 500, 500, 0},   // the annual settlement stores no use of its own
        {Advance, 13, 500, 0, 500}, // a NULL in the header is no use
        {Missing, 6, 500, 0, 500},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.key);
        const CreditoAutotrasportatori k = loaded(c.key, c.month);
        EXPECT_DOUBLE_EQ(k.Disponibile().toDouble(), c.available);
        EXPECT_DOUBLE_EQ(k.Utilizzato().toDouble(), c.used);
        EXPECT_DOUBLE_EQ(k.Residuo().toDouble(), c.residual);
    }
    // No row for the activity's year: nothing is available but what the settlement uses.
    db().execute(u"DELETE FROM AttivitaAziendaPerPeriodoIva WHERE IDAttivitaAziendaPerPeriodoIva = "_qs +
                 QString::number(LireRow));
    EXPECT_DOUBLE_EQ(loaded(April, 4).Disponibile().toDouble(), 200);
}

TEST_P(TruckersCredit, TheDialogAcceptsAUsedCreditUpToTheAvailableOne)
{
    struct {
        double typed;
        Step step;
        bool accepted;
        double used, residual;
        QString message;
    } cases[] = {
        {400, Step::Cent, true, 400, 300, {}},
        {700, Step::Cent, true, 700, 0, {}},
        {0, Step::Cent, true, 0, 700, {}},
        {700.004, Step::Cent, true, 700, 0, {}}, // the same amount once rounded to the cent
        {700.005, Step::Cent, false, 300, 400, Amounts::msgCreditoUtilizzatoMaggiore()},
        {700.4, Step::Lira, true, 700, 0, {}}, // lire: whole units
        {700.5, Step::Lira, false, 300, 400, Amounts::msgCreditoUtilizzatoMaggiore()},
        {-0.01, Step::Cent, false, 300, 400, Amounts::msgCreditoUtilizzatoNegativo()},
        {-9000000000.01, Step::Cent, false, 300, 400, CreditoAutotrasportatori::msgNonValido()},
        {1e12, Step::Cent, false, 300, 400, CreditoAutotrasportatori::msgNonValido()},
    };
    db().execute(u"UPDATE AttivitaAziendaPerPeriodoIva SET CreditoIvaAutotrasportatori = 400 WHERE "
                 "IDAttivitaAziendaPerPeriodoIva = "_qs +
                 QString::number(LireRow));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        CreditoAutotrasportatori k(db(), User);
        k.Load(id(March, 3), c.step); // 400 left + 300 used = 700 available
        EXPECT_EQ(failureOf([&] { k.Conferma(Money::fromDouble(c.typed)); }), c.message);
        EXPECT_DOUBLE_EQ(k.Utilizzato().toDouble(), c.used);
        EXPECT_DOUBLE_EQ(k.Residuo().toDouble(), c.residual);
    }
}

TEST_P(TruckersCredit, SavingWritesTheUsedCreditAndTheActivitysResidual)
{
    struct {
        double used;
        std::optional<double> stored;
        double column;
    } cases[] = {
        {400, 400, 400},
        {800, 800, 0},
        {0, std::nullopt, 800}, // nothing used: the whole credit goes back to the activity
        {150.5, 151, 649},      // lire
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.used);
        CreditoAutotrasportatori k = loaded(March, 3);
        ASSERT_DOUBLE_EQ(k.Disponibile().toDouble(), 800);
        k.Conferma(Money::fromDouble(c.used));
        k.Save();
        k.Save(); // twice: still one row
        EXPECT_EQ(typeFour(March), c.stored);
        EXPECT_EQ(f->number(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIvaXTipo WHERE "
                            "IDTipoRisultatoLiquidazioneIva = 4 AND IDRisultatoLiquidazioneIva = "_qs +
                            QString::number(March)),
                  c.stored ? 1 : 0);
        EXPECT_DOUBLE_EQ(column(), c.column);
        // Loaded again, the credit available to the settlement is the same.
        EXPECT_DOUBLE_EQ(loaded(March, 3).Disponibile().toDouble(), 800);
        // Back to the starting point for the next case.
        db().execute(u"UPDATE AttivitaAziendaPerPeriodoIva SET CreditoIvaAutotrasportatori = 500 WHERE "
                     "IDAttivitaAziendaPerPeriodoIva = "_qs +
                     QString::number(LireRow));
        db().execute(u"DELETE FROM RisultatoLiquidazioneIvaXTipo WHERE IDRisultatoLiquidazioneIva = "_qs +
                     QString::number(March));
        f->amount(March, 4, 300);
    }
    // The annual settlement and the December advance consume nothing.
    for (int key : {Annual, Advance}) {
        CreditoAutotrasportatori k = loaded(key, key == Annual ? 0 : 13);
        k.Save();
        EXPECT_FALSE(typeFour(key).has_value());
        EXPECT_DOUBLE_EQ(column(), 500);
    }
}

TEST_P(TruckersCredit, TheSettlementAmountsSavedAfterwardsBookNothingTwice)
{
    // 1999: the header's use (400, after the dialog) replaces the stale 300 the amounts hold,
    // in thousands.
    {
        Amounts a(db(), User);
        a.setImpUnita(false);
        a.LoadByPeriod(Activity, Lire, 3);
        ASSERT_DOUBLE_EQ(a.CreAutotraspUti().toDouble(), 0.3);
        db().execute(u"UPDATE CampoReportLiquidazioneIva SET CreditoAutotrasportatori = 400 WHERE "
                     "IDRisultatoLiquidazioneIva = "_qs +
                     QString::number(March));
        CreditoAutotrasportatori k = loaded(March, 3);
        k.Save(&a);
        a.Save();
        EXPECT_EQ(typeFour(March), std::optional<double>(400));
        EXPECT_DOUBLE_EQ(column(), 400);
    }
    // 2005: the use composed in the prospectus (250) is the one written.
    {
        Amounts a(db(), User);
        a.LoadByPeriod(Activity, Euro, 5);
        a.setCreAutotraspUti(Money::units(250));
        CreditoAutotrasportatori k = loaded(May, 5, 2005);
        EXPECT_DOUBLE_EQ(k.Utilizzato().toDouble(), 0); // no use in the header from 2000 on
        k.Save(&a);
        a.Save();
        EXPECT_EQ(typeFour(May), std::optional<double>(250));
        EXPECT_DOUBLE_EQ(column(true), 750);
    }
}

TEST_P(TruckersCredit, DeletingAMonthOfALireYearGivesTheCreditBack)
{
    f->amount(Annual, 4, 90);
    struct {
        SettlementIdentity id;
        double returned, column;
    } cases[] = {
        {id(March, 3), 300, 800},  {id(Missing, 6), 0, 500},   // no use stored
        {id(Annual, 0), 0, 500},                               // the annual settlement gives nothing back
        {id(Advance, 13), 0, 500}, {id(May, 5, 2005), 0, 500}, // from 2000 the settlement amounts do it
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id.idRisultatoLiquidazioneIva);
        db().execute(u"UPDATE AttivitaAziendaPerPeriodoIva SET CreditoIvaAutotrasportatori = 500"_qs);
        EXPECT_DOUBLE_EQ(CreditoAutotrasportatori::RestituisciCredito(db(), User, c.id).toDouble(), c.returned);
        EXPECT_DOUBLE_EQ(column(), c.column);
        EXPECT_DOUBLE_EQ(column(true), 500);
    }
    // An empty credit column receives the amount.
    db().execute(u"UPDATE AttivitaAziendaPerPeriodoIva SET CreditoIvaAutotrasportatori = NULL"_qs);
    CreditoAutotrasportatori::RestituisciCredito(db(), User, id(April, 4));
    EXPECT_DOUBLE_EQ(column(), 200);
    EXPECT_EQ(f->number(u"SELECT IDUtenteUltimaVariazione FROM AttivitaAziendaPerPeriodoIva WHERE "
                        "IDAttivitaAziendaPerPeriodoIva = "_qs +
                        QString::number(LireRow)),
              User);
}

TEST_P(TruckersCredit, AFailedSaveLeavesTheUsedCreditAsItWas)
{
    CreditoAutotrasportatori k = loaded(March, 3);
    k.Conferma(Money::units(450));
    db().execute(u"ALTER TABLE AttivitaAziendaPerPeriodoIva RENAME TO AttivitaAltrove"_qs);
    EXPECT_THROW(k.Save(), DbError);
    db().execute(u"ALTER TABLE AttivitaAltrove RENAME TO AttivitaAziendaPerPeriodoIva"_qs);
    EXPECT_EQ(typeFour(March), std::optional<double>(300));
    EXPECT_DOUBLE_EQ(column(), 500);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(TruckersCredit);

} // namespace
