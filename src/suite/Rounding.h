#pragma once

#include "suite/Money.h"

namespace liqiva {

// The rounding modes of the suite's rounding service (their numbers are the service's own).
enum class RoundMode {
    HalfUp = 1,           // a half goes towards plus infinity
    HalfAwayFromZero = 3, // the ordinary rounding of amounts
    HalfTowardsZero = 4,  // a half goes down: the lire rule for thousands
    HalfEven = 5,         // a half goes to the even neighbour: the pro-rata percentage
};

// A step the program rounds amounts to, in ten-thousandths (the precision of the currency
// columns): never a binary fraction.
struct Step {
    long long tenThousandths = 1;
    static const Step TenThousandth; // the precision of the currency columns
    static const Step Cent;          // the euro
    static const Step Lira;          // the lira, and whole units
    static const Step Thousand;      // the lire debt of a period
    constexpr bool operator==(const Step &) const = default;
};
inline constexpr Step Step::TenThousandth{1};
inline constexpr Step Step::Cent{100};
inline constexpr Step Step::Lira{10000};
inline constexpr Step Step::Thousand{10000000};

// The step of a company's currency: the cent, or the lira in the lire years.
constexpr Step currencyStep(bool euro)
{
    return euro ? Step::Cent : Step::Lira;
}

// Rounds an amount to a multiple of step with a mode: the one rounding operation of the
// program.
Money roundTo(Money value, Step step, RoundMode mode);

// value * numerator / denominator, exact, rounded to a multiple of step with a mode
// (a third of an amount, 88% of it). denominator must not be 0.
Money roundedShare(Money value, long long numerator, long long denominator, Step step, RoundMode mode);

// num / den rounded to a whole number with a mode: the exact division under every rounding
// of the program. den must not be 0.
__int128 roundedQuotient(__int128 num, __int128 den, RoundMode mode);

// The suite's service takes the mode by its number; an unknown number rounds half away from zero.
RoundMode roundModeOf(int number);

} // namespace liqiva
