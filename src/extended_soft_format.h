// The x87 80-bit extended format as the software back end holds a value
// between operations: unpacked, with a normalised significand, so that an
// operation on finite values does no unpacking or packing. Here too is the
// rounding to the format, and the conversions to and from IEEE single and
// double precision and the x87 encoding. Each has a straight path for the
// common case and one rare path for everything else.
#pragma once

#include <bit>
#include <cstdint>

#include "arithmetic_platform.h"
#include "compiler.h"
#include "extended_encoding.h"
#include "ieee_format.h"
#include "wide_integer.h"

namespace kestrion::soft {

inline constexpr uint64_t kTopBit = uint64_t{1} << 63;
inline constexpr uint64_t kHalf = kTopBit;  // one half of a last place, as the bits below it
inline constexpr int32_t kZeroExponent = -0x8000;  // below every finite value's

// 1 where a significand whose lowest bit is `low_bit` and whose bits below
// it are `rest`, left-aligned (one half is kHalf), rounds up to nearest even.
KESTRION_INLINE constexpr uint64_t rounds_up(uint64_t low_bit, uint64_t rest) {
    return kestrion::rounds_up(low_bit, rest, kHalf);
}

// A value of the format:
// - finite and nonzero: `significand` with its top bit set and `exponent`
//   the biased exponent that goes with it, value = significand ·
//   2^(exponent - kX87LowBitOffset); a subnormal of the format is held
//   normalised too, with an exponent below 1 (down to -62);
// - zero: significand 0, exponent kZeroExponent;
// - infinity: significand 0, exponent kX87MaxExponent; NaN: significand 1,
//   exponent kX87MaxExponent.
// The significand's top bit alone says finite and nonzero, so one test of
// (a.significand & b.significand) takes both operands of an operation down
// the common path; and (exponent, significand) orders magnitudes.
struct Value {
    uint64_t significand;
    int32_t exponent;
    bool negative;
};

constexpr Value zero(bool negative) { return {0, kZeroExponent, negative}; }
constexpr Value infinity(bool negative) { return {0, kX87MaxExponent, negative}; }
constexpr Value nan() { return {1, kX87MaxExponent, false}; }
constexpr bool both_finite_nonzero(const Value& a, const Value& b) { return ((a.significand & b.significand) >> 63) != 0; }
constexpr bool is_zero(const Value& v) { return v.significand == 0 && v.exponent != kX87MaxExponent; }
constexpr bool is_infinite(const Value& v) { return v.significand == 0 && v.exponent == kX87MaxExponent; }
constexpr bool is_nan(const Value& v) { return v.significand != 0 && v.exponent == kX87MaxExponent; }

// m (nonzero) shifted up to a set top bit, with its exponent.
constexpr Value normalised(bool negative, uint64_t m, int32_t exponent) {
    const int shift = std::countl_zero(m);
    return {m << shift, exponent - shift, negative};
}

// (significand + rest / 2^64) · 2^(exponent - kX87LowBitOffset), for a
// result beyond the normal range [1, kX87MaxExponent - 2] (significand's
// top bit set, rest's lowest bit set if anything further down was lost),
// rounded once to nearest even: infinity past the largest number, and
// below it to the subnormals' fixed last place, 2^(1 - kX87LowBitOffset).
KESTRION_RARE constexpr Value round_beyond_normal(bool negative, uint64_t significand, uint64_t rest, int32_t exponent) {
    if (exponent >= kX87MaxExponent) return infinity(negative);
    if (exponent > 0) {  // the largest binade: a carry out of it is infinite
        if (rounds_up(significand, rest) != 0 && ++significand == 0) return infinity(negative);
        return {significand, exponent, negative};
    }
    const wide::Uint128 m = wide::shift_right_jam(wide::make(significand, rest), int64_t{1} - exponent);
    uint64_t kept = wide::high(m);
    kept += rounds_up(kept, wide::low(m));
    if (kept == 0) return zero(negative);
    return normalised(negative, kept, 1);  // at 2^63, the least normal number
}

// A result normal before rounding and after it, whatever the rounding does:
// normal, and below the largest binade, where a carry out of the
// significand still leaves it finite.
constexpr bool normal_below_top_binade(int32_t exponent) {
    return static_cast<uint32_t>(exponent - 1) < kX87MaxExponent - 2;
}

// significand + up (0 or 1), for an exponent normal_below_top_binade.
KESTRION_INLINE constexpr Value rounded_up_by(bool negative, uint64_t significand, uint64_t up, int32_t exponent) {
    significand += up;
    if (significand == 0) {  // carried out of the top: 2^64 is 2^63 one binade up
        significand = kTopBit;
        ++exponent;
    }
    return {significand, exponent, negative};
}

// The same rounding for any exponent, straight where it is
// normal_below_top_binade.
KESTRION_INLINE constexpr Value round(bool negative, uint64_t significand, uint64_t rest, int32_t exponent) {
    if (normal_below_top_binade(exponent)) [[likely]] {
        return rounded_up_by(negative, significand, rounds_up(significand, rest), exponent);
    }
    return round_beyond_normal(negative, significand, rest, exponent);
}

// The x87 encoding, unpacked and packed. Every finite value of the format
// is exact in both forms.
constexpr Value from_encoding(X87Encoding e) {
    const bool negative = e.negative();
    if (e.biased_exponent() == kX87MaxExponent) return e.is_inf() ? infinity(negative) : nan();
    if (e.significand == 0) return zero(negative);
    return normalised(negative, e.significand, e.low_bit_exponent() + kX87LowBitOffset);
}

constexpr X87Encoding to_encoding(const Value& v) {
    if (is_nan(v)) return X87Encoding::nan();
    if (is_infinite(v)) return X87Encoding::infinity(v.negative);
    if (is_zero(v)) return X87Encoding::zero(v.negative);
    const uint16_t sign = X87Encoding::sign_bit(v.negative);
    if (v.exponent >= 1) return {static_cast<uint16_t>(sign | v.exponent), v.significand};
    return {sign, v.significand >> (1 - v.exponent)};  // subnormal: no bit is lost
}

// The x87 exponent of a value whose IEEE exponent field is f, normal: f + this.
template <IeeeFormat F>
inline constexpr int32_t kRebias = kX87Bias - F.bias;

// Zeros, subnormals, infinities and NaN of the IEEE format.
template <IeeeFormat F>
KESTRION_RARE constexpr Value from_ieee_rare(uint64_t bits) {
    using L = IeeeLayout<F>;
    const bool negative = L::negative(bits);
    const uint64_t field = L::field(bits);
    const uint64_t fraction = L::fraction(bits);
    if (field == L::kExponentMask) return fraction == 0 ? infinity(negative) : nan();
    if (fraction == 0) return zero(negative);
    // A subnormal is fraction · 2^(1 - bias - kFractionBits): as a normal
    // number with exponent field 1, less the hidden bit.
    return normalised(negative, fraction << (64 - F.precision), 1 + kRebias<F>);
}

// Every single and double is a normal number of the format: exact.
template <IeeeFormat F>
KESTRION_INLINE constexpr Value from_ieee(uint64_t bits) {
    using L = IeeeLayout<F>;
    const uint64_t field = L::field(bits);
    if (field - 1 < L::kExponentMask - 1) [[likely]] {
        // The fraction moved up under the top bit; the field's bits go past the top.
        return {(bits << (64 - F.precision)) | kTopBit, static_cast<int32_t>(field) + kRebias<F>, L::negative(bits)};
    }
    return from_ieee_rare<F>(bits);
}

// Rounded once to the IEEE format, subnormals included, to nearest even.
template <IeeeFormat F>
KESTRION_RARE constexpr uint64_t to_ieee_rare(const Value& v) {
    using L = IeeeLayout<F>;
    const uint64_t sign = uint64_t{v.negative} << L::kSignShift;
    if (is_nan(v)) return L::kQuietNan;
    if (is_infinite(v)) return sign | L::kInfinity;
    if (is_zero(v)) return sign;
    const int32_t field = v.exponent - kRebias<F>;  // as a normal number; at most 0 here, or past the top
    if (field >= static_cast<int32_t>(L::kExponentMask)) return sign | L::kInfinity;
    // A subnormal keeps precision - (1 - field) bits; 0 of them can still round up to the least.
    const int keep = F.precision - (1 - field);
    if (keep < 0) return sign;  // under half the least subnormal
    const uint64_t kept = keep == 0 ? 0 : v.significand >> (64 - keep);
    const uint64_t dropped = keep == 0 ? v.significand : v.significand << keep;
    return round_to_ieee<F>(v.negative, 1, kept, dropped, kHalf);
}

// v's significand rounded to the IEEE format's precision, the hidden bit
// included: 2^precision where the rounding carries out of it.
template <IeeeFormat F>
KESTRION_INLINE constexpr uint64_t rounded_significand(const Value& v) {
    const uint64_t kept = v.significand >> (64 - F.precision);
    return kept + rounds_up(kept, v.significand << F.precision);
}

template <IeeeFormat F>
KESTRION_INLINE constexpr uint64_t to_ieee(const Value& v) {
    using L = IeeeLayout<F>;
    const int32_t field = v.exponent - kRebias<F>;
    // Zeros, infinities and NaN have exponents far outside this range.
    static_assert(kZeroExponent - kRebias<F> < 1 && kX87MaxExponent - kRebias<F> > static_cast<int32_t>(L::kExponentMask));
    if (static_cast<uint64_t>(field - 1) < L::kExponentMask - 1) [[likely]] {
        return ieee_bits<F>(v.negative, field, rounded_significand<F>(v));
    }
    return to_ieee_rare<F>(v);
}

// The store to the IEEE format, its bits in `bits`, and the stored value
// widened back to the format, at once: straight where the rounding cannot carry into the IEEE format's
// infinity, the rounded significand moved back up (2^precision, a carry
// out of it, is 2^(precision - 1) one binade up).
template <IeeeFormat F>
KESTRION_INLINE constexpr Value store(const Value& v, uint64_t& bits) {
    using L = IeeeLayout<F>;
    const int32_t field = v.exponent - kRebias<F>;
    if (static_cast<uint64_t>(field - 1) < L::kExponentMask - 2) [[likely]] {
        const uint64_t rounded = rounded_significand<F>(v);
        bits = ieee_bits<F>(v.negative, field, rounded);
        if ((rounded >> F.precision) != 0) [[unlikely]] return {kTopBit, v.exponent + 1, v.negative};
        return {rounded << (64 - F.precision), v.exponent, v.negative};
    }
    bits = to_ieee<F>(v);
    return from_ieee<F>(bits);
}

// v as hi + lo, hi = v rounded to double and lo = v - hi (exact, as
// v's significand has 11 bits below a double's) rounded to double. Straight
// where hi cannot carry into infinity and the residual, a whole number of
// v's last places, 2^(exponent - kX87LowBitOffset), is at least 2^-1022
// whenever it is nonzero: then lo is that whole number, at most 2^10 in
// magnitude, times that power of two, both exact doubles, and so is their
// product. A residual of 0 gives +0, as x - x does. Zeros, infinities and
// NaN have exponents outside that range.
static_assert(KESTRION_DOUBLE_MATH_IS_DOUBLE, "lo is one exact double multiplication");
KESTRION_INLINE constexpr bool split_to_doubles(const Value& v, double& hi, double& lo) {
    using L = DoubleLayout;
    constexpr int kDropped = 64 - kDouble.precision;
    constexpr int32_t kLeast = kX87LowBitOffset + 1 - kDouble.bias;  // the exponent whose last place is 2^-1022
    constexpr int32_t kMost = kRebias<kDouble> + static_cast<int32_t>(L::kExponentMask) - 2;  // below the top binade
    if (static_cast<uint32_t>(v.exponent - kLeast) > static_cast<uint32_t>(kMost - kLeast)) return false;
    const uint64_t kept = v.significand >> kDropped;
    const uint64_t dropped = v.significand & ((uint64_t{1} << kDropped) - 1);
    const uint64_t up = rounds_up(kept, dropped << (64 - kDropped));
    hi = kestrion::bit_cast<double>(ieee_bits<kDouble>(v.negative, v.exponent - kRebias<kDouble>, kept + up));
    const auto residual = static_cast<int32_t>(dropped) - static_cast<int32_t>(up << kDropped);
    const double last_place = kestrion::bit_cast<double>(ieee_bits<kDouble>(false, v.exponent - kLeast + 1, L::kHiddenBit));
    lo = static_cast<double>(v.negative ? -residual : residual) * last_place;
    return true;
}

}  // namespace kestrion::soft
