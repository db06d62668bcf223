#include "suite/Percent.h"

#include <gtest/gtest.h>

using namespace liqiva;

namespace {

Money m(const char *text) { return *Money::parse(QString::fromUtf8(text)); }
Percent p(const char *text) { return *Percent::parse(QString::fromUtf8(text)); }

TEST(Percent, RatiosOfAmountsRoundedExactly)
{
    struct {
        const char *part, *whole;
        Percent step;
        RoundMode mode;
        const char *expected;
    } cases[] = {
        // the ventilation's shares, seven decimals
        {"768.2", "1000", Percent::TenMillionth, RoundMode::HalfAwayFromZero, "76.82"},
        {"1", "3", Percent::TenMillionth, RoundMode::HalfAwayFromZero, "33.3333333"},
        {"2", "3", Percent::TenMillionth, RoundMode::HalfAwayFromZero, "66.6666667"},
        // the pro-rata: a half goes to the even whole
        {"805", "1000", Percent::Point, RoundMode::HalfEven, "80"},
        {"815", "1000", Percent::Point, RoundMode::HalfEven, "82"},
        {"8051", "10000", Percent::Point, RoundMode::HalfEven, "81"},
        {"-1", "8", Percent::Hundredth, RoundMode::HalfAwayFromZero, "-12.5"},
        {"-1", "8", Percent::Point, RoundMode::HalfUp, "-12"},
        {"-1", "8", Percent::Point, RoundMode::HalfTowardsZero, "-12"},
        {"-1", "8", Percent::Point, RoundMode::HalfAwayFromZero, "-13"},
        {"5", "0", Percent::Point, RoundMode::HalfAwayFromZero, "0"},
        // amounts near the top of the range do not overflow on the way
        {"900000000000000", "900000000000000", Percent::Hundredth, RoundMode::HalfAwayFromZero, "100"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Percent::ratio(m(c.part), m(c.whole), c.step, c.mode).toString(), QString::fromUtf8(c.expected))
            << c.part << " / " << c.whole;
}

TEST(Percent, AppliedToAmounts)
{
    struct {
        const char *rate, *amount;
        Step step;
        const char *share, *vatInGross;
    } cases[] = {
        {"22", "100", Step::Cent, "22", "18.03"},
        {"10", "11368.81", Step::Cent, "1136.88", "1033.53"},
        {"4", "698.53", Step::Cent, "27.94", "26.87"},
        {"22", "1000000", Step::Lira, "220000", "180328"},
        {"76.82", "0.01", Step::TenThousandth, "0.0077", "0.0043"},
        {"0", "123.45", Step::Cent, "0", "0"},
        {"22", "-100", Step::Cent, "-22", "-18.03"},
    };
    for (const auto &c : cases) {
        const Percent rate = p(c.rate);
        EXPECT_EQ(rate.of(m(c.amount), c.step, RoundMode::HalfAwayFromZero), m(c.share)) << c.rate << " " << c.amount;
        EXPECT_EQ(rate.vatInGross(m(c.amount), c.step, RoundMode::HalfAwayFromZero), m(c.vatInGross))
            << c.rate << " " << c.amount;
    }
}

TEST(Percent, ParsesAndStoresAsTheDatabaseDoes)
{
    EXPECT_EQ(p("76.8234567").toMoney(), m("76.8235"));
    EXPECT_EQ(Percent::fromMoney(m("22.5")), p("22.5"));
    EXPECT_EQ(Percent::fromVariant(QVariant()), Percent());
    EXPECT_EQ(Percent::fromVariant(QVariant(u"4.00"_qs)), Percent::points(4));
    for (const char *bad : {"", "1,5", "1.123456789", "x", "99999999999999999999"})
        EXPECT_FALSE(Percent::parse(QString::fromUtf8(bad))) << bad;
    EXPECT_THROW(Percent::fromMoney(Money::fromRaw(std::numeric_limits<long long>::max())), std::exception);
}

} // namespace
