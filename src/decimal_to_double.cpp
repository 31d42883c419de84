#include "decimal_to_double.h"

#include <cassert>

#include "compiler.h"

namespace kestrion {
namespace {

// The least u with 2^u > 10^x, u = floor(x · log2 10) + 1, to within one,
// for |x| <= 2000: 217706 / 2^16 exceeds log2 10 by under 2^-19, which
// 2000 times is still below one, so the result is u or u + 1 for x >= 0
// (never below u) and u or u - 1 for x < 0. The range of the quotient
// below absorbs the difference.
constexpr int64_t log2_bound_of_power_of_ten(int64_t x) {
    assert(x >= -2000 && x <= 2000);
    return ((x * 217706) >> 16) + 1;
}

// Sizes, for 1 to kMaxSignificantDigits digits D with the first worth
// 10^leading, leading in [kUnderflowLeading, kOverflowLeading], so that the
// literal is D · 10^e with e = leading - (digits - 1) in [-1129, 310]:
// - D < 10^800 < 2^2658;
// - every numerator is below 2^63 times its denominator (the quotient's
//   bound, below), and the largest denominator is 10^1129 < 2^3751, for
//   e < 0 and a scale 2^k >= 1 (for k < 0 it is 10^-e · 2^-k, under
//   10^(digits - 1 - leading) · 10^(leading + 1) / 2^61 < 2^2598);
// so 3,814 bits hold every step, and the integer is sized from that.
constexpr int64_t kLargestDenominatorBits = log2_bound_of_power_of_ten(kMaxSignificantDigits - 1 - kUnderflowLeading);
constexpr int64_t kLargestNumeratorBits = 63 + kLargestDenominatorBits;
static_assert(log2_bound_of_power_of_ten(kMaxSignificantDigits) - 61 < kLargestDenominatorBits);
using Integer = BigInteger<static_cast<int>((kLargestNumeratorBits + 31) / 32)>;

// (q + f) · 2^scale rounded to the nearest double, ties to even, where f in
// [0, 1) is zero unless `inexact`, and q has at least 55 bits, so that the
// round bit and all below it lie in q and f (subnormals keep fewer bits and
// infinity is reached past the largest double).
double round_to_double(uint64_t q, bool inexact, int64_t scale) {
    assert(q >= uint64_t{1} << 54);
    const int length = std::bit_width(q);
    const int64_t top = length - 1 + scale;  // the exponent of q's top bit
    if (top > kDouble.bias) return std::numeric_limits<double>::infinity();
    constexpr int64_t kLeastNormal = 1 - kDouble.bias;
    int64_t drop = length - kDouble.precision;
    if (top < kLeastNormal) drop += kLeastNormal - top;  // subnormal: the last place is 2^-1074
    if (drop > length) return 0;                           // below half the least subnormal
    const uint64_t kept = q >> drop;  // 2 <= drop <= length < 64
    const uint64_t rest = q & (~uint64_t{0} >> (64 - drop)), half = uint64_t{1} << (drop - 1);
    // A normal result's kept bits hold its hidden bit; a subnormal's go
    // with field 1. Whether anything below q is nonzero is a sticky bit
    // below rest's.
    const auto field = static_cast<int32_t>(top >= kLeastNormal ? top + kDouble.bias : 1);
    return kestrion::bit_cast<double>(
        round_to_ieee<kDouble>(false, field, kept, (rest << 1) | (inexact ? 1 : 0), half << 1));
}

}  // namespace

// Why this is exact. Let T = D · 10^e be the literal cut to its first
// kMaxSignificantDigits significant digits, and V the literal itself: V = T
// or, when a dropped digit is nonzero, T < V < T + 10^e. Only the midpoints
// between neighbouring doubles (the one above the largest double among
// them) decide where a value rounds, and none lies in (T, V] (see
// kMaxSignificantDigits), so V rounds as T does, or, when it is larger, as
// a value just above T.
//
// With 2^k chosen to put T · 2^k in [2^56, 2^63), q = floor(T · 2^k) is one
// integer division of big integers, and the remainder says whether T · 2^k
// is an integer. Every rounding boundary of the result lies on a multiple
// of 2^(drop - 1) >= 1 in q's units, an integer, so any value in (q, q + 1)
// rounds as q + 1/2 would, and round_to_double rounds exactly.
double exact_to_double(std::string_view digits, bool dropped_nonzero, int64_t leading) {
    assert(leading >= kUnderflowLeading && leading <= kOverflowLeading);
    Integer value;
    int count = 0;
    bool inexact = dropped_nonzero;
    uint32_t group = 0;  // up to nine digits not yet in `value`
    int grouped = 0;
    for (const char c : digits) {
        if (c == '.' || (count == 0 && c == '0')) continue;
        if (count == kMaxSignificantDigits) {
            inexact |= c != '0';
            continue;
        }
        group = group * 10 + static_cast<uint32_t>(c - '0');
        ++count;
        if (++grouped == 9) {
            value.multiply_add(1'000'000'000, group);
            group = 0;
            grouped = 0;
        }
    }
    if (count == 0) return 0;
    value.multiply_add(static_cast<uint32_t>(kPowersOfTen[grouped]), group);

    // T = value · 10^e; T · 2^k = numerator / denominator.
    const int64_t e = leading - (count - 1);
    const int64_t k = 62 - log2_bound_of_power_of_ten(leading + 1);  // 10^leading <= T < 10^(leading + 1)
    Integer& numerator = value;
    Integer denominator(1);
    if (e >= 0) {
        numerator.multiply_power_of_ten(e);
    } else {
        denominator.multiply_power_of_ten(-e);
    }
    if (k >= 0) {
        numerator.shift_left(k);
    } else {
        denominator.shift_left(-k);
    }
    const uint64_t q = numerator.divide(denominator);
    assert(q >= uint64_t{1} << 56 && q < uint64_t{1} << 63);
    return round_to_double(q, inexact || !numerator.is_zero(), -k);
}

}  // namespace kestrion
