#pragma once

namespace liqiva {

// Rounding modes of the suite's rounding service.
namespace RoundMode {
constexpr int HalfUp = 1;           // a half goes towards plus infinity
constexpr int HalfAwayFromZero = 3; // the ordinary rounding of amounts
constexpr int HalfTowardsZero = 4;  // a half goes down: the lire rule for thousands
} // namespace RoundMode

// Rounds value to a multiple of step (0.01, 1, 1000, ...) with a mode. Robust to the binary
// representation of the value: 1.005 to 0.01 gives 1.01. A step of 0 or less returns the
// value unchanged.
double roundTo(double value, double step, int mode);

// The amounts of a currency: 0.01 for the euro, 1 for the lira.
inline double roundEuro(double value) { return roundTo(value, 0.01, RoundMode::HalfAwayFromZero); }

} // namespace liqiva
