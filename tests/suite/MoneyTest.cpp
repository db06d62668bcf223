#include "suite/Money.h"

#include <gtest/gtest.h>

using namespace liqiva;

namespace {

TEST(Money, ParsesPlainDecimalsAndRefusesEverythingElse)
{
    struct {
        const char *text;
        std::optional<long long> raw;
    } cases[] = {
        {"1234.5", 12345000},
        {"-0.0001", -1},
        {" 12 ", 120000},
        {"+3.25", 32500},
        {"0", 0},
        {"1.23456", std::nullopt},
        {"1,5", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"1.2.3", std::nullopt},
        {"1e3", std::nullopt},
        {".5", 5000},
    };
    for (const auto &c : cases) {
        const auto m = Money::parse(QString::fromUtf8(c.text));
        ASSERT_EQ(m.has_value(), c.raw.has_value()) << c.text;
        if (m)
            EXPECT_EQ(m->raw(), *c.raw) << c.text;
    }
}

TEST(Money, RoundsDoublesToTheTenThousandthHalfAwayFromZero)
{
    struct {
        double in;
        long long raw;
    } cases[] = {
        {0.1 + 0.2, 3000}, {1.00005, 10001}, {-1.00005, -10001},          {1.000049, 10000},
        {80.5, 805000},    {-0.00004, 0},    {1e12, 10000000000000000LL},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Money::fromDouble(c.in).raw(), c.raw) << c.in;
}

TEST(Money, MultipliesExactlyAndRoundsTheProductBackToFourDecimals)
{
    struct {
        const char *a, *b, *product;
    } cases[] = {
        {"333.33", "80", "26666.4"},
        {"0.0001", "0.5", "0.0001"}, // 0.00005 goes away from zero
        {"-0.0001", "0.5", "-0.0001"},
        {"0.0001", "0.4999", "0"},
        {"999999999999.9999", "100", "99999999999999.99"},
        {"1234567.89", "-22", "-27160493.58"},
    };
    for (const auto &c : cases) {
        const Money p = *Money::parse(QString::fromUtf8(c.a)) * *Money::parse(QString::fromUtf8(c.b));
        EXPECT_EQ(p.toString().toStdString(), c.product) << c.a << " x " << c.b;
    }
}

TEST(Money, ReadsDatabaseValuesExactly)
{
    EXPECT_EQ(Money::fromVariant(QVariant()).raw(), 0);
    EXPECT_EQ(Money::fromVariant(QVariant(u"150.2500"_qs)).raw(), 1502500); // NUMERIC as text
    EXPECT_EQ(Money::fromVariant(QVariant(u"-0.000100"_qs)).raw(), -1);
    EXPECT_EQ(Money::fromVariant(QVariant(103.29)).raw(), 1032900); // REAL
    EXPECT_EQ(Money::fromVariant(QVariant(u"abc"_qs)).raw(), 0);
    EXPECT_EQ(Money::units(-3).toString(), u"-3"_qs);
    EXPECT_EQ(Money::fromRaw(-5).toString(), u"-0.0005"_qs);
}

} // namespace
