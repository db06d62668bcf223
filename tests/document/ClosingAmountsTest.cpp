#include "document/DeclarationGrid.h"
#include "engine/SettlementIdentity.h"

#include <gtest/gtest.h>

using namespace liqiva;

namespace {

TEST(ClosingAmounts, FromTheResultOfThePeriod)
{
    struct {
        double r, interest, refund, f24;
        double pay, credit;
    } cases[] = {
        {100, 0, 0, 0, 0, 100},     // a credit is carried on
        {-250, 10, 0, 0, 260, 0},   // a debt plus annual interest
        {50, 0, 30, 40, 20, 0},     // refund and F24 use exceed the credit
        {0, 0, 0, 0, 0, 0},
        {70, 0, 30, 40, 0, 0},      // exactly used up
        {0.1 + 0.2, 0, 0.3, 0, 0, 0}, // binary noise is not a cent
    };
    for (const auto &c : cases) {
        const ClosingAmounts a = closingAmounts(c.r, c.interest, c.refund, c.f24, 0.01);
        EXPECT_DOUBLE_EQ(a.ivaDaVersare, c.pay) << c.r;
        EXPECT_DOUBLE_EQ(a.creDimLiquiSucc, c.credit) << c.r;
    }
}

TEST(DecemberAdvance, EightyEightPerCentOfTheReference)
{
    struct {
        double reference;
        int method, now, previous;
        double step;
        double advance;
        const char *label;
    } cases[] = {
        {3000, AdvanceMethod::Historical, 0, 1, 0.01, 880, "Importo da versare (88% di 1/3 di 3.000,00):"},
        {1000, AdvanceMethod::Forecast, 0, 0, 0.01, 880, "Importo da versare (88% di 1.000,00):"},
        {1000, AdvanceMethod::Historical, 1, 1, 0.01, 880, "Importo da versare (88% di 1.000,00):"},
        // the one-third form only for the historical method
        {3000, AdvanceMethod::Forecast, 0, 1, 0.01, 2640, "Importo da versare (88% di 3.000,00):"},
        {1000, AdvanceMethod::Analytical, 0, 0, 0.01, 1000, "Importo da versare:"},
        {0, AdvanceMethod::Historical, 0, 1, 0.01, 0, "Importo da versare:"},
        // rounding at the cent, half away from zero: 100.01 * 0.88 = 88.0088
        {100.01, AdvanceMethod::Forecast, 0, 0, 0.01, 88.01, "Importo da versare (88% di 100,01):"},
        // one third rounded first: 1000.01 / 3 = 333.34, * 0.88 = 293.3392
        {1000.01, AdvanceMethod::Historical, 0, 1, 0.01, 293.34, "Importo da versare (88% di 1/3 di 1.000,01):"},
        // lire: whole lire
        {1000000, AdvanceMethod::Historical, 0, 1, 1, 293333, "Importo da versare (88% di 1/3 di 1.000.000,00):"},
    };
    for (const auto &c : cases) {
        const AdvanceAmount a = decemberAdvance(c.reference, c.method, c.now, c.previous, c.step);
        EXPECT_DOUBLE_EQ(a.ivaDaVersare, c.advance) << c.reference;
        EXPECT_EQ(a.label.toStdString(), c.label);
    }
}

TEST(DeclarationGrid, NetsTheRowsIntoTheResult)
{
    DeclarationGrid g;
    g.setDebit(DeclarationGrid::IvaEsigibile, 5000);
    g.setCredit(DeclarationGrid::IvaDetratta, 3500.50);
    g.setDebit(DeclarationGrid::IvaAcquistiSplit, 100);
    // the VAT of split-payment sales is the buyer's: shown, not netted
    g.setCredit(DeclarationGrid::IvaVenditeSplit, 300);
    g.compute(0.01);
    EXPECT_DOUBLE_EQ(g.debit(DeclarationGrid::IvaDebitoCreditoPeriodo), 1599.50);
    EXPECT_FALSE(g.creditCell(DeclarationGrid::IvaDebitoCreditoPeriodo).has_value());

    // previous credit and a compensable credit bring it to a credit
    g.setCredit(DeclarationGrid::RiportoPeriodoPrecedente, 1000);
    g.setDebit(DeclarationGrid::VariazioniImposta, 0.5);
    g.setCredit(DeclarationGrid::CreditoInDetrazione, 700);
    g.compute(0.01);
    EXPECT_DOUBLE_EQ(g.credit(DeclarationGrid::IvaDovutaCreditoPeriodo), 100);
    EXPECT_DOUBLE_EQ(g.result(), 100);

    // interest and the advance paid go into the result, not into row 10
    g.setCredit(DeclarationGrid::CreditoInDetrazione, 0);
    g.setDebit(DeclarationGrid::InteressiTrimestrali, 6);
    g.setCredit(DeclarationGrid::AccontoVersato, 200);
    g.setCredit(DeclarationGrid::CreditiSpeciali, 50);
    g.compute(0.01);
    EXPECT_DOUBLE_EQ(g.debit(DeclarationGrid::IvaDovutaCreditoPeriodo), 600);
    EXPECT_DOUBLE_EQ(g.result(), -(600 + 6 - 50 - 200));
    EXPECT_DOUBLE_EQ(g.debtForMinimum(), 356);
    EXPECT_DOUBLE_EQ(g.interestBase(0.01), 550);
}

TEST(FormatAdvanceReference, ItalianSeparators)
{
    EXPECT_EQ(formatAdvanceReference(3000), u"3.000,00"_qs);
    EXPECT_EQ(formatAdvanceReference(1234567.5), u"1.234.567,50"_qs);
    EXPECT_EQ(formatAdvanceReference(0.5), u",50"_qs);
    EXPECT_EQ(formatAdvanceReference(999), u"999,00"_qs);
}

} // namespace
