// Extended precision in software: the x87 80-bit format (64-bit significand,
// its exponent range, gradual underflow, infinities and NaN), each
// operation computed exactly on integers and rounded once to nearest even.
// Wider than 64 bits it only uses the steps of extended_soft_integer.h.
#pragma once

#include <bit>
#include <cstdint>
#include <utility>

#include "extended_soft_integer.h"
#include "extended_encoding.h"

namespace kestrion {

class SoftExtended {
public:
    explicit SoftExtended(float f) : SoftExtended(from_ieee<kSingle>(std::bit_cast<uint32_t>(f))) {}
    explicit SoftExtended(double d) : SoftExtended(from_ieee<kDouble>(std::bit_cast<uint64_t>(d))) {}
    static SoftExtended from_encoding(X87Encoding e) { return SoftExtended(e); }
    X87Encoding encoding() const { return bits_; }

    float to_float() const { return std::bit_cast<float>(static_cast<uint32_t>(to_ieee<kSingle>())); }
    double to_double() const { return std::bit_cast<double>(to_ieee<kDouble>()); }

    friend SoftExtended operator+(SoftExtended a, SoftExtended b) { return add(a, b, false); }
    friend SoftExtended operator-(SoftExtended a, SoftExtended b) { return add(a, b, true); }
    friend SoftExtended operator*(SoftExtended a, SoftExtended b) { return multiply(a, b); }
    friend SoftExtended operator/(SoftExtended a, SoftExtended b) { return divide(a, b); }
    friend bool operator>=(SoftExtended a, SoftExtended b) { return compare(a, b) >= 0 && !unordered(a, b); }
    friend bool operator<=(SoftExtended a, SoftExtended b) { return compare(a, b) <= 0 && !unordered(a, b); }

private:
    // An IEEE binary format: significand bits (with the hidden one) and exponent bias.
    struct IeeeFormat {
        int precision;
        int bias;
    };
    static constexpr IeeeFormat kSingle{24, 127};
    static constexpr IeeeFormat kDouble{53, 1023};

    // A finite nonzero value as m × 2^e, with the top bit of m set.
    struct Finite {
        uint64_t m;
        int32_t e;
    };

    explicit SoftExtended(X87Encoding bits) : bits_(bits) {}
    SoftExtended(uint16_t sign_exponent, uint64_t significand) : bits_{sign_exponent, significand} {}

    bool negative() const { return bits_.negative(); }
    int32_t biased_exponent() const { return bits_.biased_exponent(); }
    bool is_nan() const { return bits_.is_nan(); }
    bool is_inf() const { return bits_.is_inf(); }
    bool is_zero() const { return bits_.is_zero(); }
    int32_t low_bit_exponent() const { return bits_.low_bit_exponent(); }
    bool is_normal() const { return static_cast<uint32_t>(biased_exponent() - 1) < kX87MaxExponent - 1; }

    static uint16_t sign_bit(bool negative) { return X87Encoding::sign_bit(negative); }
    static SoftExtended nan() { return SoftExtended(X87Encoding::nan()); }
    static SoftExtended inf(bool negative) { return SoftExtended(X87Encoding::infinity(negative)); }
    static SoftExtended zero(bool negative) { return SoftExtended(X87Encoding::zero(negative)); }
    SoftExtended with_sign(bool negative) const {
        return {static_cast<uint16_t>(sign_bit(negative) | biased_exponent()), bits_.significand};
    }

    Finite finite() const {  // for a finite nonzero value
        const int shift = std::countl_zero(bits_.significand);  // nonzero only for subnormals
        return {bits_.significand << shift, low_bit_exponent() - shift};
    }

    // (kept + rest / 2^64) × 2^e rounded once to the format, where kept has
    // its top bit set and rest holds the bits below it, left-aligned, its
    // lowest bit set if anything further down was lost.
    static SoftExtended round_pack(bool negative, uint64_t kept, uint64_t rest, int32_t e) {
        int32_t biased = e + kX87LowBitOffset;
        if (biased <= 0 || biased >= kX87MaxExponent) {
            return round_pack(negative, wide::make(kept, rest), e - 64);  // subnormal or overflowing
        }
        if (rest > kX87IntegerBit || (rest == kX87IntegerBit && (kept & 1) != 0)) {
            if (++kept == 0) {  // carried out of the top: 2^64 is 2^63 one binade up,
                kept = kX87IntegerBit;  // which past the largest binade encodes infinity
                ++biased;
            }
        }
        return {static_cast<uint16_t>(sign_bit(negative) | biased), kept};
    }

    // m × 2^e (m nonzero, exact) rounded once to the format, subnormals included.
    static SoftExtended round_pack(bool negative, wide::Uint128 m, int32_t e) {
        const int shift = wide::leading_zeros(m);
        m = wide::shift_left(m, shift);
        e -= shift;
        // m's top bit, 2^127, is worth 2^(e + 127).
        int32_t biased = e + 127 + kX87Bias;
        if (biased >= kX87MaxExponent) return inf(negative);
        if (biased > 0) return round_pack(negative, wide::high(m), wide::low(m), e + 64);
        m = wide::shift_right_jam(m, 1 - biased);  // to the subnormals' fixed last place
        uint64_t kept = wide::high(m);
        const uint64_t rest = wide::low(m);
        biased = 0;
        if (rest > kX87IntegerBit || (rest == kX87IntegerBit && (kept & 1) != 0)) {
            if ((++kept & kX87IntegerBit) != 0) biased = 1;  // rounded up to the least normal number
        }
        if (kept == 0) return zero(negative);
        return {static_cast<uint16_t>(sign_bit(negative) | biased), kept};
    }

    static SoftExtended add(SoftExtended a, SoftExtended b, bool subtract) {
        bool a_negative = a.negative();
        bool b_negative = b.negative() != subtract;
        if (!a.is_normal() || !b.is_normal()) {
            if (a.is_nan() || b.is_nan()) return nan();
            if (a.is_inf()) return b.is_inf() && a_negative != b_negative ? nan() : inf(a_negative);
            if (b.is_inf()) return inf(b_negative);
            if (a.is_zero()) return b.is_zero() ? zero(a_negative && b_negative) : b.with_sign(b_negative);
            if (b.is_zero()) return a;
        }

        Finite x = a.finite(), y = b.finite();
        if (x.e < y.e || (x.e == y.e && x.m < y.m)) {
            std::swap(x, y);
            std::swap(a_negative, b_negative);
        }
        // Both at bit 126, so the sum cannot carry out of 128 bits.
        const wide::Uint128 larger = wide::shift_left(wide::make(0, x.m), 63);
        const wide::Uint128 smaller = wide::shift_right_jam(wide::shift_left(wide::make(0, y.m), 63), int64_t{x.e} - y.e);
        const wide::Uint128 sum =
            a_negative == b_negative ? wide::add(larger, smaller) : wide::subtract(larger, smaller);
        if (wide::is_zero(sum)) return zero(false);  // x - x is +0 when rounding to nearest
        return round_pack(a_negative, sum, x.e - 63);
    }

    static SoftExtended multiply(SoftExtended a, SoftExtended b) {
        const bool negative = a.negative() != b.negative();
        if (a.is_normal() && b.is_normal()) {
            // The product of two 64-bit significands with their top bits set
            // has its own top bit at 2^127 or 2^126.
            const wide::Uint128 product = wide::multiply(a.bits_.significand, b.bits_.significand);
            uint64_t kept = wide::high(product), rest = wide::low(product);
            int32_t e = a.low_bit_exponent() + b.low_bit_exponent() + 64;
            if ((kept & kX87IntegerBit) == 0) {
                kept = (kept << 1) | (rest >> 63);
                rest <<= 1;
                --e;
            }
            return round_pack(negative, kept, rest, e);
        }
        if (a.is_nan() || b.is_nan()) return nan();
        if (a.is_inf() || b.is_inf()) return a.is_zero() || b.is_zero() ? nan() : inf(negative);
        if (a.is_zero() || b.is_zero()) return zero(negative);
        const Finite x = a.finite(), y = b.finite();
        return round_pack(negative, wide::multiply(x.m, y.m), x.e + y.e);
    }

    static SoftExtended divide(SoftExtended a, SoftExtended b) {
        const bool negative = a.negative() != b.negative();
        if (a.is_normal() && b.is_normal()) {
            // The quotient of the significands lies in (1/2, 2): 1 + 64 bits
            // when it is at least 1, else 64, then what the remainder says.
            const uint64_t x = a.bits_.significand, y = b.bits_.significand;
            const bool whole = x >= y;
            uint64_t remainder;
            const uint64_t fraction = wide::divide(whole ? x - y : x, 0, y, remainder);
            const int32_t e = a.low_bit_exponent() - b.low_bit_exponent() - 64;
            if (whole) {
                const uint64_t rest = ((fraction & 1) << 63) | (remainder != 0 ? 1 : 0);
                return round_pack(negative, kX87IntegerBit | (fraction >> 1), rest, e + 1);
            }
            // remainder / y against one half: at, above, below, or none at all.
            const uint64_t half = remainder >= y - remainder ? kX87IntegerBit : 0;
            const uint64_t sticky = remainder != 0 && remainder != y - remainder ? 1 : 0;
            return round_pack(negative, fraction, half | sticky, e);
        }
        if (a.is_nan() || b.is_nan()) return nan();
        if (a.is_inf()) return b.is_inf() ? nan() : inf(negative);
        if (b.is_inf()) return zero(negative);
        if (b.is_zero()) return a.is_zero() ? nan() : inf(negative);
        if (a.is_zero()) return zero(negative);

        const Finite x = a.finite(), y = b.finite();
        // x.m / y.m lies in (1/2, 2): its 1 or 2 integer bits, then 64 more.
        const uint64_t whole = x.m >= y.m ? 1 : 0;
        uint64_t remainder;
        const uint64_t fraction = wide::divide(x.m - whole * y.m, 0, y.m, remainder);
        // Two more bits say where the rest lies: 00 none, 01 under a half,
        // 10 exactly a half, 11 over. That rounds as the exact quotient does.
        const uint64_t rest = remainder == 0 ? 0 : remainder < y.m - remainder ? 1 : remainder == y.m - remainder ? 2 : 3;
        const wide::Uint128 quotient = wide::add(wide::shift_left(wide::make(whole, fraction), 2), wide::make(0, rest));
        return round_pack(negative, quotient, x.e - y.e - 66);
    }

    static bool unordered(SoftExtended a, SoftExtended b) { return a.is_nan() || b.is_nan(); }

    // -1, 0 or 1 as a is below, equal to or above b (meaningless if unordered).
    static int compare(SoftExtended a, SoftExtended b) {
        if (a.is_zero() && b.is_zero()) return 0;
        if (a.negative() != b.negative()) return a.negative() ? -1 : 1;
        // Canonical encodings order by (exponent, significand) in magnitude.
        const auto magnitude = [](SoftExtended x) { return wide::make(x.biased_exponent(), x.bits_.significand); };
        const wide::Uint128 ma = magnitude(a), mb = magnitude(b);
        const int order = wide::equal(ma, mb) ? 0 : wide::less(ma, mb) ? -1 : 1;
        return a.negative() ? -order : order;
    }

    template <IeeeFormat F>
    static SoftExtended from_ieee(uint64_t bits) {
        constexpr int kFractionBits = F.precision - 1;
        constexpr int32_t kExponentMask = 2 * F.bias + 1;
        const bool negative = (bits >> (kFractionBits + std::bit_width(static_cast<unsigned>(kExponentMask)))) != 0;
        const auto field = static_cast<int32_t>((bits >> kFractionBits) & kExponentMask);
        const uint64_t fraction = bits & ((uint64_t{1} << kFractionBits) - 1);
        if (field == kExponentMask) return fraction == 0 ? inf(negative) : nan();
        if (field == 0 && fraction == 0) return zero(negative);
        // Every single and double is a normal extended number: exact.
        const uint64_t m = field == 0 ? fraction : fraction | (uint64_t{1} << kFractionBits);
        const int shift = std::countl_zero(m);
        const int32_t e = (field == 0 ? 1 : field) - F.bias - kFractionBits - shift;
        return {static_cast<uint16_t>(sign_bit(negative) | (e + kX87LowBitOffset)), m << shift};
    }

    // Rounded once to the format, with its subnormals, to nearest even.
    template <IeeeFormat F>
    uint64_t to_ieee() const {
        constexpr int kFractionBits = F.precision - 1;
        constexpr uint64_t kInfinity = uint64_t(2 * F.bias + 1) << kFractionBits;
        const uint64_t sign = uint64_t{negative()} << (kFractionBits + std::bit_width(unsigned(2 * F.bias + 1)));
        if (is_nan()) return kInfinity | (uint64_t{1} << (kFractionBits - 1));
        if (is_inf()) return sign | kInfinity;
        if (is_zero()) return sign;
        const Finite x = finite();
        const int32_t leading = x.e + 63;  // the exponent of x's top bit
        if (leading > F.bias) return sign | kInfinity;
        const int32_t least_normal = 1 - F.bias;
        const int32_t keep = F.precision - (leading < least_normal ? least_normal - leading : 0);
        if (keep < 0) return sign;  // under half the least subnormal
        // The kept bits, and the dropped ones left-aligned, to round by.
        const uint64_t kept = keep == 0 ? 0 : x.m >> (64 - keep);
        const uint64_t dropped = keep == 0 ? x.m : x.m << keep;
        const uint64_t rounded = kept + (dropped > kX87IntegerBit || (dropped == kX87IntegerBit && (kept & 1) != 0) ? 1 : 0);
        // A carry runs into the exponent field: to the least normal number, or to infinity.
        if (leading < least_normal) return sign | rounded;
        return sign | ((uint64_t(leading + F.bias - 1) << kFractionBits) + rounded);
    }

    X87Encoding bits_;
};

}  // namespace kestrion
