#include "domain/engine/Ventilation.h"

#include <gtest/gtest.h>

using namespace liqiva;

namespace {

struct Rate {
    int idIva;
    double aliquota;
    double weight;
};

QList<VentilationEntry> entriesOf(const std::vector<Rate> &rates)
{
    QList<VentilationEntry> out;
    for (const Rate &r : rates) {
        VentilationEntry e;
        e.idIva = r.idIva;
        e.aliquota = Percent::fromMoney(Money::fromDouble(r.aliquota));
        e.importo = Money::fromDouble(r.weight);
        out << e;
    }
    return out;
}

struct Split {
    double perc, gross, taxable, vat;
};

TEST(Ventilation, SplitsReceiptsByPurchaseWeightToTheCent)
{
    struct Case {
        const char *what;
        std::vector<Rate> rates;
        double receipts;
        bool lira;
        std::vector<Split> expected;
    } cases[] = {
        {"equal weights: the first met takes the hundredth",
         {{1, 22, 100}, {2, 10, 100}, {3, 4, 100}},
         100.00,
         false,
         {{33.34, 33.34, 27.33, 6.01}, {33.33, 33.33, 30.30, 3.03}, {33.33, 33.33, 32.05, 1.28}}},
        {"weights 1 and 2: the larger remainder takes the hundredth",
         {{1, 22, 1}, {2, 10, 2}},
         100.00,
         false,
         {{33.33, 33.33, 27.32, 6.01}, {66.67, 66.67, 60.61, 6.06}}},
        {"the last rate absorbs the rounding of the gross amounts",
         {{1, 22, 5}, {2, 22, 5}, {3, 22, 5}},
         10.01,
         false,
         {{33.34, 3.34, 2.74, 0.60}, {33.33, 3.34, 2.74, 0.60}, {33.33, 3.33, 2.73, 0.60}}},
        {"one rate takes everything",
         {{7, 10, 1234.56}},
         500.00,
         false,
         {{100.00, 500.00, 454.55, 45.45}}},
        {"lire: whole lire, the last absorbing the difference",
         {{1, 20, 5}, {2, 20, 5}, {3, 20, 5}},
         1001,
         true,
         {{33.34, 334, 278, 56}, {33.33, 334, 278, 56}, {33.33, 333, 277, 56}}},
        {"lire: VAT of a half lira goes up",
         {{1, 4, 1}},
         13,
         true,
         {{100, 13, 12, 1}}},
        {"lire: a negative half lira goes up too, to 0",
         {{1, 4, 1}},
         -13,
         true,
         {{100, -13, -13, 0}}},
        {"euro: a negative half cent goes away from zero",
         {{1, 4, 1}},
         -0.13,
         false,
         {{100, -0.13, -0.12, -0.01}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QList<VentilationEntry> entries = entriesOf(c.rates);
        ASSERT_TRUE(splitReceipts(entries, Money::fromDouble(c.receipts), c.lira));
        ASSERT_EQ(size_t(entries.size()), c.expected.size());
        double gross = 0;
        for (size_t k = 0; k < c.expected.size(); ++k) {
            SCOPED_TRACE(k);
            EXPECT_DOUBLE_EQ(entries[k].percSuTotale.toDouble(), c.expected[k].perc);
            EXPECT_NEAR(entries[k].importoLordo.toDouble(), c.expected[k].gross, 1e-9);
            EXPECT_NEAR(entries[k].imponibile.toDouble(), c.expected[k].taxable, 1e-9);
            EXPECT_NEAR(entries[k].imposta.toDouble(), c.expected[k].vat, 1e-9);
            gross += entries[k].importoLordo.toDouble();
        }
        EXPECT_NEAR(gross, c.receipts, 1e-9) << "the gross amounts add up to the receipts";
    }
}

TEST(Ventilation, MergesWeightsByVentilationCodeInFirstMetOrder)
{
    const QList<VentilationWeight> weights = {
        {5, 0, Money::fromDouble(100)},   // own code
        {6, 9, Money::fromDouble(50)},    // split under code 9
        {7, 0, Money::fromDouble(0)},     // no weight: left out
        {5, 0, Money::fromDouble(20)},    // the same code again (a late invoice): added
        {8, 9, Money::fromDouble(-5)},    // negative weight: left out
        {10, 9, Money::fromDouble(30.5)}, // another code split under 9
    };
    const QList<VentilationEntry> entries = mergeVentilationWeights(weights);
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].idIva, 5);
    EXPECT_DOUBLE_EQ(entries[0].importo.toDouble(), 120);
    EXPECT_EQ(entries[1].idIva, 9);
    EXPECT_DOUBLE_EQ(entries[1].importo.toDouble(), 80.5);
}

} // namespace
