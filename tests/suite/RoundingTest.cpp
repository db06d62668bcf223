#include "suite/Rounding.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace liqiva;

namespace {

TEST(Rounding, ModesStepsAndTheHalf)
{
    struct {
        double value, step;
        RoundMode mode;
        double expected;
    } cases[] = {
        // binary representation does not decide the half
        {1.005, 0.01, RoundMode::HalfAwayFromZero, 1.01},
        {2.675, 0.01, RoundMode::HalfAwayFromZero, 2.68},
        {-1.005, 0.01, RoundMode::HalfAwayFromZero, -1.01},
        {0.1 + 0.2, 0.01, RoundMode::HalfAwayFromZero, 0.3},
        {33.333333, 0.01, RoundMode::HalfAwayFromZero, 33.33},
        // mode 1: a half goes up, also for negatives
        {2.5, 1, RoundMode::HalfUp, 3},
        {-2.5, 1, RoundMode::HalfUp, -2},
        {-2.51, 1, RoundMode::HalfUp, -3},
        // mode 3: away from zero
        {2.5, 1, RoundMode::HalfAwayFromZero, 3},
        {-2.5, 1, RoundMode::HalfAwayFromZero, -3},
        // mode 4: a half goes towards zero (thousands of lire)
        {1234500, 1000, RoundMode::HalfTowardsZero, 1234000},
        {1234501, 1000, RoundMode::HalfTowardsZero, 1235000},
        {1234499, 1000, RoundMode::HalfTowardsZero, 1234000},
        {-1234500, 1000, RoundMode::HalfTowardsZero, -1234000},
        {1234500, 1000, RoundMode::HalfAwayFromZero, 1235000},
        {0.005, 0.01, RoundMode::HalfTowardsZero, 0},
        {0.0051, 0.01, RoundMode::HalfTowardsZero, 0.01},
        // no negative zero, large values keep their cents
        {-0.004, 0.01, RoundMode::HalfAwayFromZero, 0},
        {123456789.125, 0.01, RoundMode::HalfAwayFromZero, 123456789.13},
        // half to even: the pro-rata percentage
        {80.5, 1, RoundMode::HalfEven, 80},
        {81.5, 1, RoundMode::HalfEven, 82},
        {-80.5, 1, RoundMode::HalfEven, -80},
        {0.125, 0.01, RoundMode::HalfEven, 0.12},
        {0.1251, 0.01, RoundMode::HalfEven, 0.13},
        // a step of 0 leaves the value alone
        {1.23456, 0, RoundMode::HalfAwayFromZero, 1.23456},
    };
    for (const auto &c : cases) {
        EXPECT_DOUBLE_EQ(roundTo(c.value, c.step, c.mode), c.expected)
            << c.value << " step " << c.step << " mode " << int(c.mode);
        // an exact amount rounds alike wherever it can hold the value
        const Money exact = Money::fromDouble(c.value);
        if (c.step > 0 && exact.toDouble() == c.value)
            EXPECT_EQ(roundTo(exact, c.step, c.mode), Money::fromDouble(c.expected))
                << c.value << " step " << c.step << " mode " << int(c.mode);
    }
}

TEST(Rounding, AlwaysAWholeNumberOfSteps)
{
    for (RoundMode mode : {RoundMode::HalfUp, RoundMode::HalfAwayFromZero, RoundMode::HalfTowardsZero, RoundMode::HalfEven}) {
        for (double v = -50.0; v < 50.0; v += 0.0173) {
            const double cents = roundTo(v, 0.01, mode) * 100.0;
            EXPECT_NEAR(cents, std::round(cents), 1e-6) << v;
            const double whole = roundTo(v, 1, mode);
            EXPECT_EQ(whole, std::round(whole)) << v;
        }
    }
}

} // namespace
