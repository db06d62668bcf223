#include "suite/Rounding.h"

#include <algorithm>
#include <limits>

namespace liqiva {

Money roundTo(Money value, Step step, RoundMode mode)
{
    const long long unit = step.tenThousandths;
    if (unit <= 1)
        return value;
    return Money::fromRaw(static_cast<long long>(roundedQuotient(value.raw(), unit, mode) * unit));
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

Money roundedShare(Money value, long long numerator, long long denominator, Step step, RoundMode mode)
{
    const long long unit = std::max<long long>(1, step.tenThousandths);
    const __int128 r = roundedQuotient(static_cast<__int128>(value.raw()) * numerator,
                                       static_cast<__int128>(denominator) * unit, mode) *
                       unit;
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
