#include "engine/ThousandsRounding.h"

#include "suite/Rounding.h"

namespace liqiva {

double fnArrotondaMigliaia(double x)
{
    return roundTo(x, 1000, RoundMode::HalfTowardsZero) - x;
}

double fnArrotondaMigliaiaInteressi(double x)
{
    return roundTo(x, 1000, RoundMode::HalfAwayFromZero) - x;
}

} // namespace liqiva
