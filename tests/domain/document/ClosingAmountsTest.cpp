#include "domain/document/DeclarationGrid.h"
#include "domain/engine/SettlementIdentity.h"
#include "support/MoneyText.h"

#include <gtest/gtest.h>

using namespace liqiva;
using namespace liqiva::test;

namespace {

TEST(ClosingAmounts, FromTheResultOfThePeriod)
{
    struct {
        Money r, interest, refund, f24;
        Money pay, credit;
    } cases[] = {
        {100_eur, 0_eur, 0_eur, 0_eur, 0_eur, 100_eur},     // a credit is carried on
        {-250_eur, 10_eur, 0_eur, 0_eur, 260_eur, 0_eur},   // a debt plus annual interest
        {50_eur, 0_eur, 30_eur, 40_eur, 20_eur, 0_eur},     // refund and F24 use exceed the credit
        {0_eur, 0_eur, 0_eur, 0_eur, 0_eur, 0_eur},
        {70_eur, 0_eur, 30_eur, 40_eur, 0_eur, 0_eur},      // exactly used up
    };
    for (const auto &c : cases) {
        const ClosingAmounts a = closingAmounts(c.r, c.interest, c.refund, c.f24, Step::Cent);
        EXPECT_EQ(a.ivaDaVersare, c.pay) << c.r.toString().toStdString();
        EXPECT_EQ(a.creDimLiquiSucc, c.credit) << c.r.toString().toStdString();
    }
}

TEST(DecemberAdvance, EightyEightPerCentOfTheReference)
{
    struct {
        Money reference;
        int method, now, previous;
        Step step;
        Money advance;
        const char *label;
    } cases[] = {
        {3000_eur, AdvanceMethod::Historical, 0, 1, Step::Cent, 880_eur, "Importo da versare (88% di 1/3 di 3.000,00):"},
        {1000_eur, AdvanceMethod::Forecast, 0, 0, Step::Cent, 880_eur, "Importo da versare (88% di 1.000,00):"},
        {1000_eur, AdvanceMethod::Historical, 1, 1, Step::Cent, 880_eur, "Importo da versare (88% di 1.000,00):"},
        // the one-third form only for the historical method
        {3000_eur, AdvanceMethod::Forecast, 0, 1, Step::Cent, 2640_eur, "Importo da versare (88% di 3.000,00):"},
        {1000_eur, AdvanceMethod::Analytical, 0, 0, Step::Cent, 1000_eur, "Importo da versare:"},
        {0_eur, AdvanceMethod::Historical, 0, 1, Step::Cent, 0_eur, "Importo da versare:"},
        // rounding at the cent, half away from zero: 100.01 * 0.88 = 88.0088
        {100.01_eur, AdvanceMethod::Forecast, 0, 0, Step::Cent, 88.01_eur, "Importo da versare (88% di 100,01):"},
        // one third rounded first: 1000.01 / 3 = 333.34, * 0.88 = 293.3392
        {1000.01_eur, AdvanceMethod::Historical, 0, 1, Step::Cent, 293.34_eur, "Importo da versare (88% di 1/3 di 1.000,01):"},
        // lire: whole lire
        {1000000_eur, AdvanceMethod::Historical, 0, 1, Step::Lira, 293333_eur, "Importo da versare (88% di 1/3 di 1.000.000,00):"},
    };
    for (const auto &c : cases) {
        const AdvanceAmount a = decemberAdvance(c.reference, c.method, c.now, c.previous, c.step);
        EXPECT_EQ(a.ivaDaVersare, c.advance) << c.label;
        EXPECT_EQ(a.label.toStdString(), c.label);
    }
}

TEST(DeclarationGrid, NetsTheRowsIntoTheResult)
{
    DeclarationGrid g;
    g.setDebit(DeclarationGrid::IvaEsigibile, 5000_eur);
    g.setCredit(DeclarationGrid::IvaDetratta, 3500.50_eur);
    g.setDebit(DeclarationGrid::IvaAcquistiSplit, 100_eur);
    // the VAT of split-payment sales is the buyer's: shown, not netted
    g.setCredit(DeclarationGrid::IvaVenditeSplit, 300_eur);
    g.compute(Step::Cent);
    EXPECT_EQ(g.debit(DeclarationGrid::IvaDebitoCreditoPeriodo), 1599.50_eur);
    EXPECT_FALSE(g.creditCell(DeclarationGrid::IvaDebitoCreditoPeriodo).has_value());

    // previous credit and a compensable credit bring it to a credit
    g.setCredit(DeclarationGrid::RiportoPeriodoPrecedente, 1000_eur);
    g.setDebit(DeclarationGrid::VariazioniImposta, 0.5_eur);
    g.setCredit(DeclarationGrid::CreditoInDetrazione, 700_eur);
    g.compute(Step::Cent);
    EXPECT_EQ(g.credit(DeclarationGrid::IvaDovutaCreditoPeriodo), 100_eur);
    EXPECT_EQ(g.result(), 100_eur);

    // interest and the advance paid go into the result, not into row 10
    g.setCredit(DeclarationGrid::CreditoInDetrazione, 0_eur);
    g.setDebit(DeclarationGrid::InteressiTrimestrali, 6_eur);
    g.setCredit(DeclarationGrid::AccontoVersato, 200_eur);
    g.setCredit(DeclarationGrid::CreditiSpeciali, 50_eur);
    g.compute(Step::Cent);
    EXPECT_EQ(g.debit(DeclarationGrid::IvaDovutaCreditoPeriodo), 600_eur);
    EXPECT_EQ(g.result(), -(600_eur + 6_eur - 50_eur - 200_eur));
    EXPECT_EQ(g.debtForMinimum(), 356_eur);
    EXPECT_EQ(g.interestBase(Step::Cent), 550_eur);
}

} // namespace
