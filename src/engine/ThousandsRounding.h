#pragma once

namespace liqiva {

// The lire rules of the settlement: the amount that brings x to a multiple of 1000.
// fnArrotondaMigliaia rounds the debt with a half going down (1,234,500 -> 1,234,000, giving
// -500); fnArrotondaMigliaiaInteressi rounds the interest with a half going away from zero.
double fnArrotondaMigliaia(double x);
double fnArrotondaMigliaiaInteressi(double x);

} // namespace liqiva
