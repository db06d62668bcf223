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

// The steps the program rounds to.
namespace Step {
constexpr double TenThousandth = 0.0001; // the precision of the currency columns
constexpr double Cent = 0.01;            // the euro
constexpr double Lira = 1;               // the lira, and whole percentages
constexpr double Thousand = 1000;        // the lire debt of a period
} // namespace Step

// Rounds value to a multiple of step with a mode: the one rounding operation of the program.
// Robust to the binary representation of the value: 1.005 to a cent gives 1.01. A step of 0
// or less returns the value unchanged.
double roundTo(double value, double step, RoundMode mode);
// The same on an exact amount (the step a multiple of the ten-thousandth).
Money roundTo(Money value, double step, RoundMode mode);

// value * numerator / denominator, exact, rounded to a multiple of step with a mode
// (a third of an amount, 88% of it). denominator must not be 0.
Money roundedShare(Money value, long long numerator, long long denominator, double step, RoundMode mode);

// num / den rounded to a whole number with a mode: the exact division under every rounding
// of the program. den must not be 0.
__int128 roundedQuotient(__int128 num, __int128 den, RoundMode mode);

// The suite's service takes the mode by its number; an unknown number rounds half away from zero.
RoundMode roundModeOf(int number);

// The amounts of a currency: 0.01 for the euro, 1 for the lira.
inline double roundEuro(double value) { return roundTo(value, Step::Cent, RoundMode::HalfAwayFromZero); }

} // namespace liqiva
