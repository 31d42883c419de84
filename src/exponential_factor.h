// A star's exponential factor as stored in its record field: e^t rounded to
// nearest even to a 64-bit significand (x87 range), then stored to single
// precision. Every back end and platform stores exactly this value.
//
// t is passed as t_hi + t_lo, two doubles whose exact sum is the extended
// exponent (t_hi = double(t), t_lo = t - t_hi); it must satisfy
// |t| < 709.78125 or be NaN, which gives NaN.
#pragma once

namespace kestrion {

// The fast approximation when it decides the stored value, else the exact path.
float exponential_factor(double t_hi, double t_lo);

// The two halves of exponential_factor(): the first returns false, leaving
// `factor` alone, when its approximation lies too near a rounding boundary
// to decide; the second is exact everywhere, and slow.
bool fast_exponential_factor(double t_hi, double t_lo, float& factor);
float exact_exponential_factor(double t_hi, double t_lo);

}  // namespace kestrion
