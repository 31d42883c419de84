// A star's exponential factor as stored in its record field: e^t rounded to
// nearest even to a 64-bit significand (x87 range), then stored to single
// precision. Every back end and platform stores exactly this value. The
// fast path is inline, for the computation's loop; the exact path, rare,
// is in exponential_factor.cpp.
#pragma once

#include <cassert>
#include <cmath>
#include <cstdint>
#include <limits>

#include "arithmetic_platform.h"
#include "compiler.h"
#include "ieee_format.h"

namespace kestrion {

// |t| at or past this bound overflows (t > 0) or underflows (t < 0). The
// limit is stated on the top 16 bits of t's 64-bit significand: |t| in
// [512, 1024) has those bits equal to floor(|t| · 2^6), which reaches 45426
// exactly when |t| >= 45426 / 64 = 709.78125; |t| >= 1024 is past it anyway
// and |t| < 512 never reaches it. So the rule is the plain comparison.
inline constexpr double kPowerLimit = 709.78125;

// Each takes t as t_hi + t_lo, two doubles whose exact sum is the extended
// exponent (t_hi = double(t), t_lo = t - t_hi), with |t| < kPowerLimit; or
// t_hi = +inf (t_lo 0), which gives +inf, -inf, which gives 0, or NaN,
// which gives NaN.

// The exact path: slow, for what the fast one cannot decide.
float exact_exponential_factor(double t_hi, double t_lo);

namespace exponential_detail {

// e^89 > 2^128 stores as inf, and e^-105 < 2^-150 (half the least subnormal
// single) stores as 0, however e^t is rounded on the way.
inline constexpr double kStoresInfiniteFrom = 89;
inline constexpr double kStoresZeroUpTo = -105;

// How far, in units of the approximation's last place, the approximation
// must lie from every rounding boundary of the store to decide it (below).
inline constexpr uint64_t kUndecidedDistance = 1024;

inline constexpr float kInfinity = std::numeric_limits<float>::infinity();
inline constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// The stated range of t: |t_hi + t_lo| < kPowerLimit, or t_hi infinite or NaN.
[[maybe_unused]] inline bool in_range(double t_hi, double t_lo) {
    if (!std::isfinite(t_hi)) return std::isnan(t_hi) || t_lo == 0;
    const double magnitude = std::fabs(t_hi);
    return magnitude < kPowerLimit || (magnitude == kPowerLimit && (t_hi > 0 ? t_lo < 0 : t_lo > 0));
}

// The stores that do not depend on how e^t is rounded: NaN, inf, 0, the
// last two for infinite t_hi too.
inline bool decided_without_exp(double t_hi, float& factor) {
    if (std::isnan(t_hi)) {
        factor = kNaN;
        return true;
    }
    if (t_hi >= kStoresInfiniteFrom || t_hi <= kStoresZeroUpTo) {
        factor = t_hi > 0 ? kInfinity : 0.0f;
        return true;
    }
    return false;
}

}  // namespace exponential_detail

// Why the fast path is exact.
//
// The approximation is a = fl(E + fl(E·t_lo)) with E = exp(t_hi) from the C
// library, using e^t = e^t_hi · e^t_lo and e^t_lo = (1 + t_lo)(1 + d) with
// |d| <= t_lo² <= 2^-88, since |t_lo| <= ulp(t_hi)/2 <= 2^-44 for |t| < 1024.
// Error budget, relative to e^t:
//   - exp(): assumed within 2^-45, at least 128 units in the last place.
//     The C library promises only "a few ulp" (glibc's own tests fail any
//     exp above 9), so this is a wide margin;
//   - the product and the sum: at most 2^-53 each, double arithmetic being
//     really double (asserted below);
//   - the product's own size keeps its error under 2^-95 of e^t.
// Together |a - e^t| < 2^-44 e^t. The extended result x = RN64(e^t) is
// within 2^-64 e^t of e^t, so |x - a| < 2^-43 a < 2^-43 2^(e+1), where
// 2^e <= a < 2^(e+1): that is less than 2^10 = kUndecidedDistance units
// of 2^(e-52), a's last place.
//
// The store rounds x to single: its result changes only at the boundaries,
// the midpoints between adjacent singles (subnormal ones included, the
// midpoint 2^-150 between 0 and the least subnormal, and 2^128 - 2^103
// between the largest single and overflow). In a's binade they are the
// values whose bits below the single's last place are exactly one half.
// When a lies farther than kUndecidedDistance units from each of them,
// x lies strictly on the same side of every boundary as a, so the store of
// x is a rounded to single, which the bits of a give directly. Only a's
// stored bits are used, so how the compiler evaluated it does not matter.
static_assert(KESTRION_DOUBLE_MATH_IS_DOUBLE, "the error budget counts one rounding per double operation");

// Returns false, leaving `factor` alone, when the approximation lies too
// near a rounding boundary to decide.
KESTRION_INLINE bool fast_exponential_factor(double t_hi, double t_lo, float& factor) {
    using namespace exponential_detail;
    assert(in_range(t_hi, t_lo));
    if (decided_without_exp(t_hi, factor)) return true;
    const double e = std::exp(t_hi);
    const uint64_t bits = kestrion::bit_cast<uint64_t>(e + e * t_lo);
    // a is a positive normal double: no sign bit above its exponent field.
    const int exponent = static_cast<int>(bits >> DoubleLayout::kFractionBits) - kDouble.bias;
    // a >= 2^128 stores as inf; a < 2^-151 as 0, far below 2^-150.
    constexpr int kSingleLeastNormal = 1 - kSingle.bias, kSingleTop = kSingle.bias + 1;
    constexpr int kLeast = kSingleLeastNormal - kSingle.precision - 1;
    if (static_cast<unsigned>(exponent - kLeast) >= static_cast<unsigned>(kSingleTop - kLeast)) {
        factor = exponent >= kSingleTop ? kInfinity : 0.0f;
        return true;
    }
    const uint64_t significand = DoubleLayout::fraction(bits) | DoubleLayout::kHiddenBit;
    // Bits the single drops: 29, and one more per binade below 2^-126,
    // where the single is subnormal and goes with field 1.
    int drop = kDouble.precision - kSingle.precision;
    int32_t field = exponent + kSingle.bias;
    if (exponent < kSingleLeastNormal) {
        drop += kSingleLeastNormal - exponent;
        field = 1;
    }
    const uint64_t dropped = significand & ((uint64_t{1} << drop) - 1);
    const uint64_t half = uint64_t{1} << (drop - 1);
    const uint64_t distance = dropped > half ? dropped - half : half - dropped;
    if (distance <= kUndecidedDistance) return false;

    // The kept bits, rounded (never a tie, so far from one).
    factor = kestrion::bit_cast<float>(
        static_cast<uint32_t>(round_to_ieee<kSingle>(false, field, significand >> drop, dropped, half)));
    return true;
}

// The fast path when it decides the stored value, else the exact path.
KESTRION_INLINE float exponential_factor(double t_hi, double t_lo) {
    float factor;
    return fast_exponential_factor(t_hi, t_lo, factor) ? factor : exact_exponential_factor(t_hi, t_lo);
}

}  // namespace kestrion
