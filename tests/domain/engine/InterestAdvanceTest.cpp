#include "domain/engine/InterestAdvance.h"
#include "domain/engine/ReportRebuild.h"
#include "database/SqlValue.h"
#include "support/EngineFixture.h"
#include "support/TestDatabase.h"

using namespace liqiva;
using namespace liqiva::test;

namespace {

class InterestAdvance : public EngineFixtureTest {
protected:
    void SetUp() override
    {
        EngineFixtureTest::SetUp();
        c = f->company();
    }
    int c = 0;
};

TEST_P(InterestAdvance, TheQuarterlyRateComesFromTheVatYearOrItsDefault)
{
    const int y2003 = f->vatYear(c, 2003), y1999 = f->vatYear(c, 1999), y2000 = f->vatYear(c, 2000),
              y2001 = f->vatYear(c, 2001, 0.0), y2005 = f->vatYear(c, 2005, 2.5);
    const int paying = f->activity(c), notPaying = f->activity(c);
    for (int p : {y2003, y1999, y2000, y2001, y2005}) {
        f->activityYear(paying, p, {.tipoLiquidazione = 1, .calcoloInteressi = true});
        f->activityYear(notPaying, p, {.tipoLiquidazione = 1});
    }
    struct {
        const char *what;
        int activity, year, quarter, anno;
        double expected;
    } cases[] = {
        {"2003 without a percentage", paying, y2003, 1, 2003, 1},
        {"1999 without a percentage", paying, y1999, 2, 1999, 1.5},
        {"2000 is still the old default", paying, y2000, 1, 2000, 1.5},
        {"a percentage of 0 takes the default", paying, y2001, 3, 2001, 1},
        {"the year's own percentage", paying, y2005, 2, 2005, 2.5},
        {"the fourth quarter never", paying, y2005, 4, 2005, 0},
        {"an activity that pays no interest", notPaying, y2005, 1, 2005, 0},
        {"no row for the activity and year", paying, 999, 1, 2005, 0},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.what);
        EXPECT_DOUBLE_EQ(fnPercInteressi(t->db(), k.activity, k.year, k.quarter, k.anno).toDouble(), k.expected);
    }
}

TEST_P(InterestAdvance, ThePrecedingPeriodsAmountOfOneType)
{
    const int p = f->vatYear(c, 2024);
    const int M = f->activity(c), Q = f->activity(c);
    f->activityYear(M, p, {0});
    f->activityYear(Q, p, {1});
    auto settle = [&](int activity, int mese, std::initializer_list<std::pair<int, double>> amounts) {
        const int s = f->settlement(activity, p, mese);
        for (const auto &[type, importo] : amounts)
            f->amount(s, type, importo);
    };
    settle(M, 1, {{11, 500}});
    settle(M, 4, {{11, 100}, {8, 120}});
    settle(M, 5, {{11, 100}, {8, 30}});
    settle(M, 11, {{25, 55}, {11, 12.34}});
    settle(Q, 3, {{11, 40}});
    settle(Q, 9, {{25, 77}, {11, 200}, {8, 50.5}});
    struct {
        const char *what;
        int type, activity, mese;
        double expected;
    } cases[] = {
        {"VAT to pay 100 with a payment of 120 gives 0, not -20", 11, M, 5, 0},
        {"VAT to pay less its payment", 11, M, 6, 70},
        {"without a payment", 11, M, 2, 500},
        {"nothing precedes January", 11, M, 1, 0},
        {"nor the annual settlement", 11, M, 0, 0},
        {"the advance of a monthly activity looks at November", 25, M, 13, 55},
        {"and so does December", 25, M, 12, 55},
        {"the advance of a quarterly activity looks at the third quarter", 25, Q, 13, 77},
        {"its VAT to pay less the payment", 11, Q, 13, 149.5},
        {"nothing precedes the first quarter", 11, Q, 3, 0},
        {"the second quarter looks at the first", 11, Q, 6, 40},
        {"no settlement in the preceding month", 11, M, 4, 0},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.what);
        EXPECT_DOUBLE_EQ(fnImportoPeriodoPrecedente(t->db(), k.type, p, k.activity, k.mese).toDouble(), k.expected);
    }
}

TEST_P(InterestAdvance, ThePreviousVatYearOfAnActivity)
{
    const int p23 = f->vatYear(c, 2023), p24 = f->vatYear(c, 2024), p22 = f->vatYear(c, 2022);
    t->db().execute(u"UPDATE PeriodoIva SET VirtualDelete = 1 WHERE IDPeriodoIva = ?"_qs, {sqlValue(p22)});
    const int A = f->activity(c), B = f->activity(c);
    f->activityYear(A, p23, {1});
    f->activityYear(A, p24, {0});
    f->activityYear(A, p22, {0});

    int tipo = -1;
    EXPECT_EQ(fnPeriodoIvaAnnoPrecedente(t->db(), A, 2023, &tipo), p23);
    EXPECT_EQ(tipo, 1);
    tipo = -1;
    EXPECT_EQ(fnPeriodoIvaAnnoPrecedente(t->db(), A, 2022, &tipo), 0) << "a deleted VAT year does not count";
    EXPECT_EQ(tipo, -1);
    EXPECT_EQ(fnPeriodoIvaAnnoPrecedente(t->db(), B, 2023), 0) << "the activity has no row for that year";

    // The counters of the December advance: the previous VAT year only for the historical method.
    struct {
        int mese, metodo, expectedKey, expectedTipo;
    } cases[] = {{13, 1, p23, 1}, {13, 2, p24, 0}, {13, 0, p24, 0}, {12, 1, p24, 0}};
    for (const auto &k : cases) {
        SCOPED_TRACE(k.metodo);
        int tipoContatori = -1;
        EXPECT_EQ(fnPeriodoIvaContatori(t->db(), identity(1, A, p24, k.mese, 2024, c, k.metodo), &tipoContatori),
                  k.expectedKey);
        EXPECT_EQ(tipoContatori, k.expectedTipo);
    }
    EXPECT_EQ(fnPeriodoIvaContatori(t->db(), identity(1, B, p24, 13, 2024, c, 1)), 0);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(InterestAdvance);

} // namespace
