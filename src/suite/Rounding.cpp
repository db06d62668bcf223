#include "suite/Rounding.h"

#include <cmath>

namespace liqiva {

double roundTo(double value, double step, int mode)
{
    if (!(step > 0) || !std::isfinite(value))
        return value;
    // Steps below one are applied as a division by their inverse (100 for 0.01), which is
    // exact for the whole number of steps; the quotient is first cleaned of the binary
    // noise that would put 1.005 / 0.01 just under the half.
    const bool fractional = step < 1.0;
    const long double inverse = fractional ? std::round(1.0L / step) : 0.0L;
    long double q = fractional ? static_cast<long double>(value) * inverse : static_cast<long double>(value) / step;
    q = std::round(q * 1e9L) / 1e9L;

    const long double sign = q < 0 ? -1.0L : 1.0L;
    const long double a = std::fabs(q);
    long double r;
    switch (mode) {
    case RoundMode::HalfUp:
        r = std::floor(q + 0.5L);
        break;
    case RoundMode::HalfTowardsZero:
        r = sign * std::ceil(a - 0.5L);
        break;
    case RoundMode::HalfAwayFromZero:
    default:
        r = sign * std::floor(a + 0.5L);
        break;
    }
    const double out = fractional ? static_cast<double>(r / inverse) : static_cast<double>(r * step);
    return out == 0.0 ? 0.0 : out; // no negative zero
}

} // namespace liqiva
