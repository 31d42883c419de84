// A scanned decimal rounded to the nearest double, ties to even, ±inf past
// the range: the cheapest route that decides it, else the exact conversion.
// The fast routes are inline, for the reader's loop; the exact conversion,
// rare, is in decimal_to_double.cpp.
#pragma once

#include <bit>
#include <cstdint>
#include <limits>
#include <string_view>

#include "arithmetic_platform.h"
#include "big_integer.h"
#include "compiler.h"
#include "decimal_words.h"
#include "ieee_format.h"
#include "wide_integer.h"

namespace kestrion {

// A scanned literal: value = ±(significand + tail) × 10^exponent, where the
// significand holds its first significant digits, `digits` of them (its
// decimal length, at most kSignificandDigits), and the tail, below one, the
// rest, of which only whether it is zero is kept here.
struct Decimal {
    bool negative = false;
    bool tail_nonzero = false;
    int digits = 0;
    uint64_t significand = 0;
    int64_t exponent = 0;
};

inline constexpr int kSignificandDigits = 19;  // the most a significand holds: 10^19 - 1 < 2^64

// Significant digits past this many only matter for rounding through
// whether any of them is nonzero: every midpoint between two doubles
// (m + 1/2) · 2^e = (2m + 1) · 2^(e - 1), m < 2^53, e >= -1074, has at
// most 768 significant digits (the most, (2^54 - 1) · 2^-1075, just below
// 2^-1021), so none lies strictly between a literal cut to 800 digits and
// the literal itself.
inline constexpr int kMaxSignificantDigits = 800;

// Past these the value is certainly infinite (10^311 and more) or rounds to
// zero (under 10^-330, below half the least subnormal double), whatever
// its digits; in between the exact conversion takes it.
inline constexpr int64_t kOverflowLeading = 310;
inline constexpr int64_t kUnderflowLeading = -330;

// The exact conversion, for |value| between 10^kUnderflowLeading and
// 10^(kOverflowLeading + 1): `digits` holds the literal's digits, perhaps
// with leading zeros and one point, whose first significant digit is worth
// 10^leading; its first kMaxSignificantDigits significant digits are used,
// and whether any later one, or `dropped_nonzero`, is nonzero.
double exact_to_double(std::string_view digits, bool dropped_nonzero, int64_t leading);

inline constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                               1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                               1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

static_assert(KESTRION_DOUBLE_MATH_IS_DOUBLE, "Clinger's path counts on one rounding per double operation");

// Clinger's path, the cheapest for short literals: w up to 2^53 and
// 10^|scale| up to 10^22 are both exact doubles, so the one multiplication
// or division that joins them is the only rounding, and IEEE arithmetic
// makes it correct.
KESTRION_INLINE bool exact_in_double(uint64_t w, int64_t scale, double& result) {
    if (w > (uint64_t{1} << 53) || static_cast<uint64_t>(scale + 22) > 44) return false;
    const double m = static_cast<double>(w);
    result = scale < 0 ? m / kExactPowersOfTen[-scale] : m * kExactPowersOfTen[scale];
    return true;
}

// 10^s as a 64-bit significand, truncated, and a binary exponent:
// 10^s = (significand + δ) · 2^exponent with 0 <= δ < 1, and
// 2^63 <= significand < 2^64. Built at compile time from exact integers.
struct PowerOfTen {
    uint64_t significand;
    int32_t exponent;
};
inline constexpr int kTableScale = 80;  // s from -80 to 80

// floor(10^s · 2^-exponent) with the exponent that puts it in [2^63, 2^64):
// for s >= 0 the top 64 bits of 10^s, for s < 0 the quotient 2^-exponent / 10^-s.
constexpr PowerOfTen power_of_ten(int s) {
    using Integer = BigInteger<11>;  // 10^80 < 2^266, and 2^(63 + 266) < 2^352
    Integer ten_to_s(1);
    ten_to_s.multiply_power_of_ten(s < 0 ? -s : s);
    const int length = ten_to_s.bit_length();
    const int exponent = s >= 0 ? length - 64 : -(63 + length);
    Integer numerator = s >= 0 ? ten_to_s : Integer(1), denominator(1);
    if (exponent < 0) numerator.shift_left(-exponent);
    if (s < 0) denominator = ten_to_s;
    if (exponent > 0) denominator.shift_left(exponent);
    return {numerator.divide(denominator), exponent};
}

struct PowersOfTen {
    PowerOfTen power[2 * kTableScale + 1]{};
    constexpr PowersOfTen() {
        for (int s = -kTableScale; s <= kTableScale; ++s) power[s + kTableScale] = power_of_ten(s);
    }
};
inline constexpr PowersOfTen kTruncatedPowersOfTen;
static_assert(kTruncatedPowersOfTen.power[kTableScale].significand == uint64_t{1} << 63);
static_assert(kTruncatedPowersOfTen.power[kTableScale + 19].significand == 10'000'000'000'000'000'000u);
static_assert(kTruncatedPowersOfTen.power[kTableScale - 1].significand == 0xcccccccccccccccc &&
              kTruncatedPowersOfTen.power[kTableScale - 1].exponent == -67);

// The usual path: w · 10^scale for any significand w (nonzero) and a scale
// within the table, in integers. With m = w · 2^z normalised to
// [2^63, 2^64) and 10^scale = (t + δ) · 2^e from the table, the exact value
// is (m·t + m·δ) · 2^(e - z), where P = m·t is the exact 128-bit product and
// 0 <= m·δ < 2^64: the value lies in [P, P + 2^64) units. P has its top bit
// at 2^127 or 2^126; shifted to 2^127 (the bound doubling with it, to
// 2^65, which the test below allows for), a double keeps its top 53 bits
// and drops 75, whose half is H. If the dropped bits D lie outside (H - 2^65, H], the
// whole interval lies on one side of H, and the rounding of P is the
// correct rounding of the value (a carry out of the kept bits, only when D
// is near its top, rounds up either way). Otherwise, about once in 1,000
// literals, it declines. The result, between 10^-80 and 2^64 · 10^80, is
// always a normal double.
KESTRION_INLINE bool product_to_double(uint64_t w, int64_t scale, double& result) {
    if (scale < -kTableScale || scale > kTableScale) return false;
    const PowerOfTen& p = kTruncatedPowersOfTen.power[scale + kTableScale];
    const int z = std::countl_zero(w);
    const wide::Uint128 product = wide::multiply(w << z, p.significand);
    // P shifted to put its top bit at 2^127 (by one place, or none), without
    // a branch: the kept bits are then the top 53, D the 75 below them.
    constexpr int kDropped = 64 - kDouble.precision;  // D's bits in the top word: 11
    constexpr uint64_t kDroppedMask = (uint64_t{1} << kDropped) - 1, kHalf = uint64_t{1} << (kDropped - 1);
    const uint64_t shift = 1 - (wide::high(product) >> 63);
    const uint64_t high = (wide::high(product) << shift) | (wide::low(product) >> 63 & shift);
    const uint64_t low = wide::low(product) << shift;
    const uint64_t kept = high >> kDropped;
    const uint64_t dropped = high & kDroppedMask;  // D's bits above 2^64; H's are kHalf
    // D in (H - 2^65, H]: the interval may reach H. D - (H - 2^65) - 1,
    // in units of 2^64, is below 2 exactly then: D's top bits less kHalf - 2,
    // less one more where its low word is 0.
    if (dropped - (kHalf - 2) - (low == 0 ? 1 : 0) < 2) return false;
    const int64_t leading = 127 - static_cast<int64_t>(shift) + p.exponent - z;  // P's top bit, in the value
    // The kept bits' top bit is the hidden one, at the exponent's field;
    // D's top bits with whether the rest of it is nonzero, against H.
    const auto field = static_cast<int32_t>(leading + kDouble.bias);
    result = kestrion::bit_cast<double>(
        round_to_ieee<kDouble>(false, field, kept, (dropped << 1) | (low != 0 ? 1 : 0), kHalf << 1));
    return true;
}

// A literal with more digits than the significand holds, and a nonzero
// tail, lies strictly between w · 10^scale and (w + 1) · 10^scale (w + 1 is
// at most 10^19, still a 64-bit integer). Rounding is monotonic, so when
// both ends round to the same double, so does everything between them.
KESTRION_INLINE bool bracketed_to_double(uint64_t w, int64_t scale, double& result) {
    double low, high;
    if (!product_to_double(w, scale, low) || !product_to_double(w + 1, scale, high) || low != high) return false;
    result = low;
    return true;
}

// Past the routes: certainly infinite, certainly zero, or the exact
// conversion, `exact(leading)`, for a literal whose first significant
// digit is worth 10^leading.
template <class Exact>
[[gnu::noinline]] double beyond_the_routes(const Decimal& d, Exact exact) {
    const int64_t leading = d.exponent + decimal_length(d.significand) - 1;
    if (leading > kOverflowLeading) return std::numeric_limits<double>::infinity();
    if (leading < kUnderflowLeading) return 0;
    return exact(leading);
}

// The double nearest the literal: the cheapest route that decides it, else
// `exact(leading)`, which hands the literal's own digits to exact_to_double.
// Each route takes only scales whose results lie well inside the range of
// doubles, so the range is looked at only past them.
template <class Exact>
KESTRION_INLINE double to_double(const Decimal& d, Exact exact) {
    double magnitude = 0;
    if (d.significand != 0) {
        const bool routed = d.tail_nonzero ? bracketed_to_double(d.significand, d.exponent, magnitude)
                                           : exact_in_double(d.significand, d.exponent, magnitude) ||
                                                 product_to_double(d.significand, d.exponent, magnitude);
        if (!routed) magnitude = beyond_the_routes(d, exact);
    }
    return d.negative ? -magnitude : magnitude;
}

}  // namespace kestrion
