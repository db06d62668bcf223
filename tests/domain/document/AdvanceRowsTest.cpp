// The counter rows copied for the December advance are read by the analytical advance
// alone; December, the fourth quarter, the other advance methods and the year count each
// operation once. The VAT of split-payment sales is shown but never lowers the VAT due.

#include "DocumentFixture.h"
#include "domain/document/DeclarationGrid.h"
#include "domain/engine/SettlementIdentity.h"

using namespace liqiva;
using namespace liqiva::test;

namespace {

class AdvanceRows : public FixtureDocumentTest {
protected:
    void SetUp() override
    {
        FixtureDocumentTest::SetUp();
        vat = f->vatCode(u"Aliquota 22%"_qs, 22);
        y2023 = f->vatYear(company, 2023);
        y2024 = f->vatYear(company, 2024);
        monthly = f->activity(company);
        monthlyBranch = f->branch(company, monthly);
        quarterly = f->activity(company);
        quarterlyBranch = f->branch(company, quarterly);
        for (int y : {y2023, y2024}) {
            f->activityYear(monthly, y, ActivityYear{.tipoLiquidazione = 0});
            f->activityYear(quarterly, y, ActivityYear{.tipoLiquidazione = 1});
        }
    }

    // A sale (kind 2) or a purchase (kind 1) of VAT `iva` at 22%; `copy` marks an advance copy.
    void counter(int kind, int branch, int anno, int mese, double iva, bool copy = false)
    {
        f->counter(Counter{.kind = kind, .idIva = vat, .anno = anno, .mese = mese, .idFiliale = branch,
                           .imponibile = iva * 100 / 22, .importo = iva, .acconto = copy});
    }

    int vat = 0, y2023 = 0, y2024 = 0;
    int monthly = 0, monthlyBranch = 0, quarterly = 0, quarterlyBranch = 0;
};

TEST_P(AdvanceRows, EachOperationIsCountedOnceOutsideTheAnalyticalAdvance)
{
    // The monthly activity: December 2024 sells 1.000,00 of VAT and buys 300,00; up to the
    // advance date 600,00 and 200,00 of it, copied as advance rows. November: 800,00 and
    // 100,00. December 2023: 900,00 and 400,00.
    counter(2, monthlyBranch, 2024, 12, 1000);
    counter(1, monthlyBranch, 2024, 12, 300);
    counter(2, monthlyBranch, 2024, 12, 600, true);
    counter(1, monthlyBranch, 2024, 12, 200, true);
    counter(2, monthlyBranch, 2024, 11, 800);
    counter(1, monthlyBranch, 2024, 11, 100);
    counter(2, monthlyBranch, 2023, 12, 900);
    counter(1, monthlyBranch, 2023, 12, 400);
    // The quarterly activity: October 100,00, November 200,00, December 300,00 of sales VAT,
    // 50,00 of purchases in December; 150,00 of December's sales copied for the advance.
    counter(2, quarterlyBranch, 2024, 10, 100);
    counter(2, quarterlyBranch, 2024, 11, 200);
    counter(2, quarterlyBranch, 2024, 12, 300);
    counter(1, quarterlyBranch, 2024, 12, 50);
    counter(2, quarterlyBranch, 2024, 12, 150, true);

    struct {
        const char *what;
        int activity, vatYear, month, method;
        double debit, credit, toPay;
    } cases[] = {
        {"December", monthly, y2024, 12, 0, 1000, 300, 700},
        {"advance, analytical: the copies", monthly, y2024, 13, AdvanceMethod::Analytical, 600, 200, 400},
        {"advance, historical: December 2023 at 88%", monthly, y2024, 13, AdvanceMethod::Historical, 900, 400, 440},
        {"advance, forecast: December 2024 at 88%", monthly, y2024, 13, AdvanceMethod::Forecast, 1000, 300, 616},
        {"fourth quarter", quarterly, y2024, 12, 0, 600, 50, 550},
        {"quarterly advance, analytical: October, November and the copies", quarterly, y2024, 13,
         AdvanceMethod::Analytical, 450, 0, 450},
        {"quarterly advance, forecast: the fourth quarter at 88%", quarterly, y2024, 13, AdvanceMethod::Forecast, 600,
         50, 484},
    };
    for (const auto &c : cases) {
        auto doc = fill(c.activity, c.vatYear, c.month, c.method);
        SCOPED_TRACE(c.what);
        f->expectHeader(doc->key(), "TotIvaDebito", c.debit);
        f->expectHeader(doc->key(), "TotIvaCredito", c.credit);
        EXPECT_DOUBLE_EQ(doc->importoDaVersare().toDouble(), c.toPay);
        doc->sbRemoveTrashRecord();
    }

    // the whole year of the monthly activity: November and December, no copies
    auto year = fill(monthly, y2024, 0);
    f->expectHeader(year->key(), "TotIvaDebito", 1800);
    f->expectHeader(year->key(), "TotIvaCredito", 400);
}

TEST_P(AdvanceRows, SplitPaymentSalesAreShownButNotNetted)
{
    // First quarter: ordinary sales 500,00 and purchases 100,00 of VAT; split-payment sales
    // with 220,00 of VAT (the buyer owes it) and split-payment purchases with 110,00.
    counter(2, quarterlyBranch, 2024, 2, 500);
    counter(1, quarterlyBranch, 2024, 2, 100);
    f->counter(Counter{.kind = 12, .idIva = vat, .anno = 2024, .mese = 3, .idFiliale = quarterlyBranch,
                       .imponibile = 1000, .importo = 220});
    f->counter(Counter{.kind = 15, .idIva = vat, .anno = 2024, .mese = 3, .idFiliale = quarterlyBranch,
                       .imponibile = 500, .importo = 110});

    auto doc = fill(quarterly, y2024, 3);
    const DeclarationGrid &g = doc->declaration();
    EXPECT_DOUBLE_EQ(g.credit(DeclarationGrid::IvaVenditeSplit).toDouble(), 220);
    EXPECT_DOUBLE_EQ(g.debit(DeclarationGrid::IvaAcquistiSplit).toDouble(), 110);
    // the split sales' VAT is not the seller's: what the period owes is the rows 1 and 3 less
    // row 2, whatever row 4 shows
    const double period = (g.debit(DeclarationGrid::IvaEsigibile) + g.debit(DeclarationGrid::IvaAcquistiSplit)
                           - g.credit(DeclarationGrid::IvaDetratta)).toDouble();
    EXPECT_DOUBLE_EQ(g.net(DeclarationGrid::IvaDebitoCreditoPeriodo).toDouble(), period);
    EXPECT_DOUBLE_EQ(g.debit(DeclarationGrid::IvaEsigibile).toDouble(), 500);
    EXPECT_DOUBLE_EQ(doc->importoDaVersare().toDouble(), period);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(AdvanceRows);

} // namespace
