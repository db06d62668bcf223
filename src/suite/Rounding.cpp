#include "suite/Rounding.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace liqiva {

double roundTo(double value, double step, RoundMode mode)
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
    case RoundMode::HalfEven: {
        const long double f = std::floor(q);
        const long double diff = q - f;
        r = diff > 0.5L ? f + 1 : diff < 0.5L ? f : (std::fmod(f, 2.0L) == 0 ? f : f + 1);
        break;
    }
    case RoundMode::HalfAwayFromZero:
    default:
        r = sign * std::floor(a + 0.5L);
        break;
    }
    const double out = fractional ? static_cast<double>(r / inverse) : static_cast<double>(r * step);
    return out == 0.0 ? 0.0 : out; // no negative zero
}

Money roundTo(Money value, double step, RoundMode mode)
{
    const long long unit = std::llround(step * Money::Scale);
    if (unit <= 1)
        return value;
    const long long raw = value.raw();
    const long long q = raw / unit; // towards zero
    const long long rest = raw % unit;
    if (rest == 0)
        return value;
    const long long twice = 2 * (rest < 0 ? -rest : rest);
    const long long away = raw < 0 ? q - 1 : q + 1;
    long long r;
    if (twice < unit)
        r = q;
    else if (twice > unit)
        r = away;
    else {
        switch (mode) {
        case RoundMode::HalfUp:
            r = raw < 0 ? q : away;
            break;
        case RoundMode::HalfTowardsZero:
            r = q;
            break;
        case RoundMode::HalfEven:
            r = q % 2 == 0 ? q : away;
            break;
        case RoundMode::HalfAwayFromZero:
        default:
            r = away;
            break;
        }
    }
    return Money::fromRaw(r * unit);
}

__int128 roundedQuotient(__int128 num, __int128 den, RoundMode mode)
{
    if (den < 0) {
        num = -num;
        den = -den;
    }
    __int128 q = num / den; // towards zero
    const __int128 rest = num % den;
    if (rest == 0)
        return q;
    const __int128 twice = 2 * (rest < 0 ? -rest : rest);
    const __int128 away = num < 0 ? q - 1 : q + 1;
    if (twice < den)
        return q;
    if (twice > den)
        return away;
    switch (mode) {
    case RoundMode::HalfUp:
        return num < 0 ? q : away;
    case RoundMode::HalfTowardsZero:
        return q;
    case RoundMode::HalfEven:
        return q % 2 == 0 ? q : away;
    case RoundMode::HalfAwayFromZero:
    default:
        return away;
    }
}

Money roundedShare(Money value, long long numerator, long long denominator, double step, RoundMode mode)
{
    const long long unit = std::max<long long>(1, std::llround(step * Money::Scale));
    const __int128 r = roundedQuotient(static_cast<__int128>(value.raw()) * numerator,
                                       static_cast<__int128>(denominator) * unit, mode) * unit;
    if (r > std::numeric_limits<long long>::max() || r < std::numeric_limits<long long>::min())
        Money::overflow();
    return Money::fromRaw(static_cast<long long>(r));
}

RoundMode roundModeOf(int number)
{
    switch (number) {
    case 1:
        return RoundMode::HalfUp;
    case 4:
        return RoundMode::HalfTowardsZero;
    case 5:
        return RoundMode::HalfEven;
    default:
        return RoundMode::HalfAwayFromZero;
    }
}

} // namespace liqiva
