#include "domain/engine/CounterQueries.h"
#include "database/SqlValue.h"
#include "support/EngineFixture.h"
#include "support/TestDatabase.h"

#include <algorithm>

using namespace liqiva;
using namespace liqiva::test;

namespace {

// A company with a monthly (M) and a quarterly (Q) activity that have advance rows in 2024,
// a monthly (F) and a quarterly (G) one without, and another activity (X). The amounts are
// powers of two, so a sum tells which rows were counted.
class CounterQueries : public EngineFixtureTest {
protected:
    void SetUp() override
    {
        EngineFixtureTest::SetUp();
        const int c = f->company();
        p24 = f->vatYear(c, 2024);
        p23 = f->vatYear(c, 2023);
        M = f->activity(c);
        Q = f->activity(c);
        F = f->activity(c);
        G = f->activity(c);
        X = f->activity(c);
        for (int p : {p23, p24}) {
            f->activityYear(M, p, {0});
            f->activityYear(Q, p, {1});
            f->activityYear(F, p, {0});
            f->activityYear(G, p, {1});
            f->activityYear(X, p, {0});
        }
        const int bM1 = f->branch(c, M), bM2 = f->branch(c, M);
        bQ = f->branch(c, Q), bF = f->branch(c, F), bG = f->branch(c, G), bX = f->branch(c, X);
        vat = f->vatCode(u"22%"_qs, 22);

        // Sales (kind 2) and goods purchases (kind 1, class 7) with the same amounts.
        auto both = [&](int branch, int anno, int mese, double amount, bool acconto = false) {
            f->counter({.kind = 2, .idIva = vat, .anno = anno, .mese = mese, .idFiliale = branch,
                        .imponibile = amount, .acconto = acconto});
            f->counter({.kind = 1, .idIva = vat, .anno = anno, .mese = mese, .idFiliale = branch,
                        .imponibile = amount, .classeConto = 7, .acconto = acconto});
        };
        for (int k = 1; k <= 12; ++k) {
            both(k % 2 ? bM1 : bM2, 2024, k, 1 << k);
            both(bQ, 2024, k, 1 << k);
        }
        both(bM1, 2024, 12, 8192, true);
        both(bQ, 2024, 12, 8192, true);
        both(bM1, 2023, 5, 1 << 20); // another year
        both(bX, 2024, 5, 1 << 21);  // a branch of another activity
        both(bF, 2024, 11, 3);
        both(bF, 2024, 12, 5);
        both(bF, 2023, 11, 7);
        both(bF, 2023, 12, 11);
        for (int k = 9; k <= 12; ++k) {
            both(bG, 2024, k, 1 << (k - 9));
            both(bG, 2023, k, 1 << (k - 5));
        }
    }

    // The sum of one column over the rows of a statement; nullopt when it returns no row.
    std::optional<double> sum(const SqlStatement &sql, const QString &column)
    {
        std::optional<double> total;
        for (Recordset rs = t->db().openRecordset(sql); !rs.eof(); rs.moveNext())
            total = total.value_or(0) + rs.number(column);
        return total;
    }

    int p24 = 0, p23 = 0, M = 0, Q = 0, F = 0, G = 0, X = 0, vat = 0;
    int bQ = 0, bF = 0, bG = 0, bX = 0; // the first branch of each activity
};

TEST_P(CounterQueries, ThePeriodFilterSelectsTheMonthsOfTheSettlement)
{
    struct {
        const char *what;
        int activity;
        int year; // 24, 23 or 0 (no previous VAT year)
        int mese, metodo;
        double expected;
    } cases[] = {
        {"monthly May", M, 24, 5, 0, 32},
        {"monthly January", M, 24, 1, 0, 2},
        {"whole year: every ordinary row, no advance rows", M, 24, 0, 0, 8190},
        {"advance, analytical, monthly: only the advance rows", M, 24, 13, 0, 8192},
        {"second quarter: months 4, 5, 6", Q, 24, 6, 0, 112},
        {"first quarter", Q, 24, 3, 0, 14},
        {"advance, analytical, quarterly: October, November and the advance rows", Q, 24, 13, 0, 1024 + 2048 + 8192},
        {"whole year of a quarterly activity", Q, 24, 0, 0, 8190},
        {"advance, forecast, monthly: December", F, 24, 13, 2, 5},
        {"advance, historical, monthly: December of the previous year", F, 23, 13, 1, 11},
        {"advance, forecast, quarterly: October to December", G, 24, 13, 2, 14},
        {"advance, historical, quarterly: October to December of the previous year", G, 23, 13, 1, 224},
        {"advance, analytical, without advance rows", F, 24, 13, 0, 0},
        // the advance copies are counted by the analytical advance alone
        {"monthly December: the copies stay out", M, 24, 12, 0, 4096},
        {"fourth quarter: the copies stay out", Q, 24, 12, 0, 1024 + 2048 + 4096},
        {"advance, forecast, monthly, copies present: December alone", M, 24, 13, 2, 4096},
        {"advance, forecast, quarterly, copies present: the fourth quarter", Q, 24, 13, 2, 1024 + 2048 + 4096},
        {"no previous VAT year: key 0 finds nothing", F, 0, 13, 1, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const CounterPeriod period{c.activity, c.year == 24 ? p24 : c.year == 23 ? p23 : 0, c.mese, c.metodo};
        EXPECT_EQ(sum(fnSqlVenditePerIva(period, 2, CustomerClass::Any), u"IMP"_qs).value_or(0), c.expected);
    }
}

TEST_P(CounterQueries, TheCumulativeFilterCountsFromJanuary)
{
    struct {
        const char *what;
        int activity, mese, metodo;
        double expected;
    } cases[] = {
        {"monthly May: January to May", M, 5, 0, 62},
        {"second quarter: January to June", Q, 6, 0, 126},
        {"monthly December: the advance rows stay out", M, 12, 0, 8190},
        {"whole year", M, 0, 0, 8190},
        {"advance, analytical, monthly: up to November and the advance rows", M, 13, 0, 4094 + 8192},
        {"advance, analytical, quarterly", Q, 13, 0, 4094 + 8192},
        {"advance, forecast, quarterly: the whole year", G, 13, 2, 15},
        {"advance, forecast, monthly: the whole year", F, 13, 2, 8},
        {"fourth quarter: January to December, no copies", Q, 12, 0, 8190},
        {"advance, forecast, copies present: the whole year, no copies", M, 13, 2, 8190},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const CounterPeriod period{c.activity, p24, c.mese, c.metodo};
        EXPECT_EQ(sum(fnSqlAcquistiPerVentilazione(period), u"TotaleAcq"_qs).value_or(0), c.expected);
    }
}

TEST_P(CounterQueries, ALateInvoiceWeighsWithItsTaxableAmountOnly)
{
    const int code = f->vatCode(u"10%"_qs, 10);
    const int zero = f->vatCode(u"Esente"_qs, 0);
    auto goods = [&](int idIva, double imp, double iva, bool late, std::optional<int> cls = 7) {
        f->counter({.kind = 1, .idIva = idIva, .anno = 2024, .mese = 2, .idFiliale = bF, .imponibile = imp,
                    .importo = iva, .classeConto = cls, .ritardo = late});
    };
    goods(code, 100, 10, true);
    goods(code, 200, 20, false);
    goods(code, 50, 5, false, 3);   // not goods for resale
    goods(zero, 70, 0, false);      // rate 0: no weight
    std::vector<std::pair<double, double>> rows; // (Acqu, TotaleAcq) of the code
    for (Recordset rs = t->db().openRecordset(fnSqlAcquistiPerVentilazione({F, p24, 2, 0})); !rs.eof(); rs.moveNext()) {
        EXPECT_NE(rs.integer(u"IDIva"_qs), zero);
        if (rs.integer(u"IDIva"_qs) == code)
            rows.emplace_back(rs.number(u"Acqu"_qs), rs.number(u"TotaleAcq"_qs));
    }
    std::sort(rows.begin(), rows.end());
    const std::vector<std::pair<double, double>> expected = {{0, 100}, {20, 220}};
    EXPECT_EQ(rows, expected);
}

TEST_P(CounterQueries, SalesAreSplitByCustomerClass)
{
    auto sale = [&](std::optional<int> cls, double imp, bool riporto = true) {
        f->counter({.kind = 3, .idIva = vat, .anno = 2024, .mese = 3, .idFiliale = bG, .imponibile = imp,
                    .importo = imp / 10, .riporto = riporto, .classeCF = cls});
    };
    sale(6, 1);
    sale(14, 2);
    sale(std::nullopt, 4);
    sale(3, 8);
    sale(std::nullopt, 16, false); // not carried to the settlement
    struct {
        int selector;
        double imp;
    } cases[] = {{CustomerClass::Any, 15}, {CustomerClass::IntraEu, 1}, {CustomerClass::ReverseCharge, 2},
                 {CustomerClass::Others, 12}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.selector);
        EXPECT_EQ(sum(fnSqlVenditePerIva({G, p24, 3, 0}, 3, c.selector), u"IMP"_qs).value_or(0), c.imp);
        EXPECT_DOUBLE_EQ(sum(fnSqlVenditePerIva({G, p24, 3, 0}, 3, c.selector), u"IVA"_qs).value_or(0), c.imp / 10);
    }
}

TEST_P(CounterQueries, LateInvoicesCountOnlyTheirMonthsYearAndBranches)
{
    auto late = [&](int branch, int anno, int mese, double iva, bool ritardo = true) {
        f->counter({.kind = 1, .idIva = vat, .anno = anno, .mese = mese, .idFiliale = branch, .imponibile = iva * 10,
                    .importo = iva, .ritardo = ritardo});
    };
    for (int k = 3; k <= 7; ++k)
        late(bQ, 2024, k, 1 << k);
    late(bX, 2024, 5, 1000);        // another activity
    late(bQ, 2023, 5, 2000);        // another year
    late(bQ, 2024, 5, 4000, false); // not late
    struct {
        int tipo, mese, metodo;
        double expected;
    } cases[] = {
        {1, 6, 0, 16 + 32 + 64},
        {1, 3, 0, 8},
        {1, 0, 0, 8 + 16 + 32 + 64 + 128},
        {0, 5, 0, 32},
        {1, 13, 2, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.mese);
        EXPECT_EQ(fieldToNumber(t->db().scalar(fnSqlIvaFattureInRitardo(c.tipo, {Q, p24, c.mese, c.metodo}))),
                  c.expected);
    }
    EXPECT_EQ(fnTipoLiquidazioneIva(t->db(), Q, p24), 1);
    EXPECT_EQ(fnTipoLiquidazioneIva(t->db(), M, p24), 0);
    EXPECT_EQ(fnTipoLiquidazioneIva(t->db(), M, 999), 0);
}

TEST_P(CounterQueries, ThePrecedingResultIsACreditAMissingResultOrADebtBelowTheMinimum)
{
    auto settle = [&](int mese, int type, std::optional<double> importo) {
        const int s = f->settlement(M, p24, mese);
        if (importo)
            f->amount(s, type, *importo);
        else
            t->db().execute(
                u"INSERT INTO RisultatoLiquidazioneIvaXTipo (IDRisultatoLiquidazioneIvaXTip, "
                u"IDTipoRisultatoLiquidazioneIva, IDRisultatoLiquidazioneIva, Importo) VALUES (900, ?, ?, NULL)"_qs,
                {sqlValue(type), sqlValue(s)});
    };
    settle(1, 2, -30);   // opening credit
    settle(4, 1, -50);   // a credit
    settle(5, 1, 80);    // a debt below the minimum of 100
    settle(6, 1, 150);   // a debt that was paid
    settle(7, 1, std::nullopt);
    struct {
        int tipo, mese;
        std::optional<double> expected;
    } cases[] = {
        {0, 5, -50}, {0, 6, 80}, {0, 7, std::nullopt}, {0, 1, -30}, {1, 3, -30}, {0, 0, -30},
        {1, 7, -50}, // a quarterly reading looks three months back
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.mese);
        Recordset rs = t->db().openRecordset(fnSqlRisultatoPrecedente(c.tipo, M, p24, c.mese, Money::units(100)));
        EXPECT_EQ(rs.eof(), !c.expected.has_value());
        if (c.expected && !rs.eof())
            EXPECT_EQ(rs.number(u"Importo"_qs), *c.expected);
    }
    Recordset none = t->db().openRecordset(fnSqlRisultatoPrecedente(0, M, p24, 8, Money::units(100)));
    ASSERT_FALSE(none.eof()) << "month 7 has a result without an amount";
    EXPECT_TRUE(none.isNull(u"Importo"_qs));
}

TEST_P(CounterQueries, TheYearSumOfAnAmountTypeCountsLiveSettlementsOnly)
{
    f->amount(f->settlement(M, p24, 1), 8, 100.25);
    f->amount(f->settlement(M, p24, 2), 8, 50.5);
    f->amount(f->settlement(M, p24, 3, false, 0, 2), 8, 1000); // a working row
    f->amount(f->settlement(Q, p24, 3), 8, 7);                 // another activity
    f->amount(f->settlement(M, p23, 3), 8, 9);                 // another year
    EXPECT_DOUBLE_EQ(fieldToNumber(t->db().scalar(fnSqlSommaPerTipoRisultato(M, p24, 8))), 150.75);
    EXPECT_TRUE(t->db().scalar(fnSqlSommaPerTipoRisultato(M, p24, 3)).isNull());
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(CounterQueries);

} // namespace
