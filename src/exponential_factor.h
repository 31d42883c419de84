// A star's exponential factor as stored in its record field: e^t rounded to
// nearest even to a 64-bit significand (x87 range), then stored to single
// precision. Every back end and platform stores exactly this value.
#pragma once

namespace kestrion {

// |t| at or past this bound overflows (t > 0) or underflows (t < 0). The
// limit is stated on the top 16 bits of t's 64-bit significand: |t| in
// [512, 1024) has those bits equal to floor(|t| · 2^6), which reaches 45426
// exactly when |t| >= 45426 / 64 = 709.78125; |t| >= 1024 is past it anyway
// and |t| < 512 never reaches it. So the rule is the plain comparison.
inline constexpr double kPowerLimit = 709.78125;

// Each takes t as t_hi + t_lo, two doubles whose exact sum is the extended
// exponent (t_hi = double(t), t_lo = t - t_hi), with |t| < kPowerLimit, or
// t_hi NaN, which gives NaN.

// The fast approximation when it decides the stored value, else the exact path.
float exponential_factor(double t_hi, double t_lo);

// The two halves of exponential_factor(): the first returns false, leaving
// `factor` alone, when its approximation lies too near a rounding boundary
// to decide; the second is exact everywhere, and slow.
bool fast_exponential_factor(double t_hi, double t_lo, float& factor);
float exact_exponential_factor(double t_hi, double t_lo);

}  // namespace kestrion
