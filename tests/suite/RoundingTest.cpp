#include "suite/Rounding.h"

#include "support/MoneyText.h"

#include <gtest/gtest.h>

using namespace liqiva;
using namespace liqiva::test;

namespace {

TEST(Rounding, ModesStepsAndTheHalf)
{
    struct {
        const char *value;
        Step step;
        RoundMode mode;
        const char *expected;
    } cases[] = {
        {"1.005", Step::Cent, RoundMode::HalfAwayFromZero, "1.01"},
        {"2.675", Step::Cent, RoundMode::HalfAwayFromZero, "2.68"},
        {"-1.005", Step::Cent, RoundMode::HalfAwayFromZero, "-1.01"},
        {"33.3333", Step::Cent, RoundMode::HalfAwayFromZero, "33.33"},
        // mode 1: a half goes up, also for negatives
        {"2.5", Step::Lira, RoundMode::HalfUp, "3"},
        {"-2.5", Step::Lira, RoundMode::HalfUp, "-2"},
        {"-2.51", Step::Lira, RoundMode::HalfUp, "-3"},
        // mode 3: away from zero
        {"2.5", Step::Lira, RoundMode::HalfAwayFromZero, "3"},
        {"-2.5", Step::Lira, RoundMode::HalfAwayFromZero, "-3"},
        // mode 4: a half goes towards zero (thousands of lire)
        {"1234500", Step::Thousand, RoundMode::HalfTowardsZero, "1234000"},
        {"1234501", Step::Thousand, RoundMode::HalfTowardsZero, "1235000"},
        {"1234499", Step::Thousand, RoundMode::HalfTowardsZero, "1234000"},
        {"-1234500", Step::Thousand, RoundMode::HalfTowardsZero, "-1234000"},
        {"1234500", Step::Thousand, RoundMode::HalfAwayFromZero, "1235000"},
        {"0.005", Step::Cent, RoundMode::HalfTowardsZero, "0"},
        {"0.0051", Step::Cent, RoundMode::HalfTowardsZero, "0.01"},
        // large values keep their cents
        {"-0.004", Step::Cent, RoundMode::HalfAwayFromZero, "0"},
        {"123456789123.125", Step::Cent, RoundMode::HalfAwayFromZero, "123456789123.13"},
        // half to even
        {"80.5", Step::Lira, RoundMode::HalfEven, "80"},
        {"81.5", Step::Lira, RoundMode::HalfEven, "82"},
        {"-80.5", Step::Lira, RoundMode::HalfEven, "-80"},
        {"0.125", Step::Cent, RoundMode::HalfEven, "0.12"},
        {"0.1251", Step::Cent, RoundMode::HalfEven, "0.13"},
        // the ten-thousandth is the precision itself
        {"1.2345", Step::TenThousandth, RoundMode::HalfAwayFromZero, "1.2345"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(roundTo(m(c.value), c.step, c.mode), m(c.expected)) << c.value << " mode " << int(c.mode);
}

TEST(Rounding, SharesOfAnAmount)
{
    struct {
        const char *value;
        long long numerator, denominator;
        Step step;
        const char *expected;
    } cases[] = {
        {"1000.01", 1, 3, Step::Cent, "333.34"},
        {"333.34", 88, 100, Step::Cent, "293.34"},
        {"100.01", 88, 100, Step::Cent, "88.01"},
        {"1000000", 1, 3, Step::Lira, "333333"},
        {"-10", 1, 3, Step::Cent, "-3.33"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(roundedShare(m(c.value), c.numerator, c.denominator, c.step, RoundMode::HalfAwayFromZero),
                  m(c.expected))
            << c.value;
}

TEST(Rounding, AlwaysAWholeNumberOfSteps)
{
    for (RoundMode mode : {RoundMode::HalfUp, RoundMode::HalfAwayFromZero, RoundMode::HalfTowardsZero, RoundMode::HalfEven})
        for (long long raw = -500000; raw < 500000; raw += 173) {
            EXPECT_EQ(roundTo(Money::fromRaw(raw), Step::Cent, mode).raw() % 100, 0) << raw;
            EXPECT_EQ(roundTo(Money::fromRaw(raw), Step::Lira, mode).raw() % 10000, 0) << raw;
        }
}

} // namespace
