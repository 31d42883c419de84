// Extended precision in software: the x87 80-bit format (64-bit significand,
// its exponent range, gradual underflow, infinities and NaN), each
// operation computed exactly on integers and rounded once to nearest even.
// Values stay unpacked between operations (extended_soft_format.h); each
// operation on finite nonzero operands is straight-line integer code, and
// zeros, infinities, NaN and far-apart addends take one rare path. Wider
// than 64 bits it only uses the 128-bit steps of wide_integer.h and the
// division of wide_division.h.
#pragma once

#include <cstdint>
#include <type_traits>
#include <utility>

#include "compiler.h"
#include "extended_encoding.h"
#include "extended_soft_format.h"
#include "wide_division.h"
#include "wide_integer.h"

namespace kestrion {

class SoftExtended {
public:
    KESTRION_INLINE constexpr explicit SoftExtended(float f)
        : v_(soft::from_ieee<kSingle>(kestrion::bit_cast<uint32_t>(f))) {}
    KESTRION_INLINE constexpr explicit SoftExtended(double d)
        : v_(soft::from_ieee<kDouble>(kestrion::bit_cast<uint64_t>(d))) {}
    static constexpr SoftExtended from_encoding(X87Encoding e) { return SoftExtended(soft::from_encoding(e)); }
    constexpr X87Encoding encoding() const { return soft::to_encoding(v_); }

    KESTRION_INLINE constexpr float to_float() const {
        return kestrion::bit_cast<float>(static_cast<uint32_t>(soft::to_ieee<kSingle>(v_)));
    }
    KESTRION_INLINE constexpr double to_double() const { return kestrion::bit_cast<double>(soft::to_ieee<kDouble>(v_)); }
    // Stored into `out` (a float or a double), and the stored value back, in one step.
    template <class Field>
    KESTRION_INLINE SoftExtended store(Field& out) const {
        constexpr bool kIsSingle = std::is_same_v<Field, float>;
        static_assert(kIsSingle || std::is_same_v<Field, double>);
        uint64_t bits;
        const SoftExtended back(soft::store<kIsSingle ? kSingle : kDouble>(v_, bits));
        out = kestrion::bit_cast<Field>(static_cast<std::conditional_t<kIsSingle, uint32_t, uint64_t>>(bits));
        return back;
    }

    // Rounded to double, hi, and what that left, lo = this - hi, rounded
    // to double, as the subtraction gives them, from the bits at once;
    // false, with neither set, outside the range where that is straight.
    KESTRION_INLINE bool split_to_doubles(double& hi, double& lo) const { return soft::split_to_doubles(v_, hi, lo); }

    KESTRION_INLINE friend constexpr SoftExtended operator+(SoftExtended a, SoftExtended b) { return add(a.v_, b.v_, false); }
    KESTRION_INLINE friend constexpr SoftExtended operator-(SoftExtended a, SoftExtended b) { return add(a.v_, b.v_, true); }
    KESTRION_INLINE friend constexpr SoftExtended operator*(SoftExtended a, SoftExtended b) { return multiply(a.v_, b.v_); }
    KESTRION_INLINE friend constexpr SoftExtended operator/(SoftExtended a, SoftExtended b) { return divide(a.v_, b.v_); }
    friend constexpr bool operator>=(SoftExtended a, SoftExtended b) { return ordered(a.v_, b.v_) && compare(a.v_, b.v_) >= 0; }
    friend constexpr bool operator<=(SoftExtended a, SoftExtended b) { return ordered(a.v_, b.v_) && compare(a.v_, b.v_) <= 0; }

private:
    using Value = soft::Value;
    constexpr SoftExtended(Value v) : v_(v) {}

    // Sums of finite nonzero operands whose exponents lie at most 64 apart
    // are exact in 128 bits before rounding: the larger magnitude x at the
    // top word, the smaller y shifted down by the difference, losing nothing.
    // A sum carries at most one bit out, and a difference that cancels
    // leading bits is exact, so normalising it loses nothing either.
    KESTRION_INLINE static constexpr Value add(Value a, Value b, bool subtract) {
        b.negative = b.negative != subtract;
        if (soft::both_finite_nonzero(a, b)) [[likely]] {
            if (a.exponent < b.exponent || (a.exponent == b.exponent && a.significand < b.significand)) std::swap(a, b);
            const uint32_t apart = static_cast<uint32_t>(a.exponent - b.exponent);
            if (apart <= 64) [[likely]] {
                const wide::Uint128 x = wide::make(a.significand, 0);
                const wide::Uint128 y = wide::shift_right(wide::make(b.significand, 0), static_cast<int>(apart));
                if (a.negative == b.negative) {
                    const wide::Uint128 sum = wide::add(x, y);
                    if (wide::less(sum, x)) {
                        // Carried out: 2^128 + sum, one bit down. The bit shifted
                        // out is 1 only when y lies a whole word down (64
                        // apart); then low is y's significand, top bit set, so
                        // the rest is neither 0 nor one half, and half a unit
                        // below it cannot change how it rounds.
                        const uint64_t high = wide::high(sum), low = wide::low(sum);
                        return soft::round(a.negative, soft::kTopBit | (high >> 1), (high << 63) | (low >> 1),
                                           a.exponent + 1);
                    }
                    return soft::round(a.negative, wide::high(sum), wide::low(sum), a.exponent);
                }
                const wide::Uint128 difference = wide::subtract(x, y);
                if (wide::is_zero(difference)) return soft::zero(false);  // x - x is +0 when rounding to nearest
                const int shift = wide::leading_zeros(difference);
                const wide::Uint128 m = wide::shift_left(difference, shift);
                return soft::round(a.negative, wide::high(m), wide::low(m), a.exponent - shift);
            }
        }
        return add_rare(a, b);
    }

    // Zeros, infinities, NaN, and finite addends more than 64 binades
    // apart: those are aligned below the top with the bits shifted out of
    // the smaller kept as a sticky bit, far below where the result rounds.
    KESTRION_RARE static constexpr Value add_rare(Value a, Value b) {
        if (soft::is_nan(a) || soft::is_nan(b)) return soft::nan();
        if (soft::is_infinite(a)) return soft::is_infinite(b) && a.negative != b.negative ? soft::nan() : a;
        if (soft::is_infinite(b)) return b;
        if (soft::is_zero(a)) return soft::is_zero(b) ? soft::zero(a.negative && b.negative) : b;
        if (soft::is_zero(b)) return a;
        if (a.exponent < b.exponent || (a.exponent == b.exponent && a.significand < b.significand)) std::swap(a, b);
        const wide::Uint128 x = wide::make(a.significand >> 1, a.significand << 63);  // at bit 126: room to carry
        const wide::Uint128 y = wide::shift_right_jam(wide::make(b.significand >> 1, b.significand << 63),
                                                      int64_t{a.exponent} - b.exponent);
        const wide::Uint128 sum = a.negative == b.negative ? wide::add(x, y) : wide::subtract(x, y);
        const int shift = wide::leading_zeros(sum);  // not zero: the addends are too far apart to cancel
        const wide::Uint128 m = wide::shift_left(sum, shift);
        return soft::round(a.negative, wide::high(m), wide::low(m), a.exponent + 1 - shift);
    }

    // The product of two significands with their top bits set has its own
    // top bit at 2^127 or 2^126; in the second case one shift brings it up.
    KESTRION_INLINE static constexpr Value multiply(Value a, Value b) {
        const bool negative = a.negative != b.negative;
        if (soft::both_finite_nonzero(a, b)) [[likely]] {
            const wide::Uint128 product = wide::multiply(a.significand, b.significand);
            const uint64_t top = wide::high(product) >> 63;
            const wide::Uint128 m = top != 0 ? product : wide::add(product, product);
            return soft::round(negative, wide::high(m), wide::low(m),
                               a.exponent + b.exponent - kX87Bias + static_cast<int32_t>(top));
        }
        return multiply_rare(a, b, negative);
    }

    KESTRION_RARE static constexpr Value multiply_rare(Value a, Value b, bool negative) {
        if (soft::is_nan(a) || soft::is_nan(b)) return soft::nan();
        if (soft::is_infinite(a) || soft::is_infinite(b)) {
            return soft::is_zero(a) || soft::is_zero(b) ? soft::nan() : soft::infinity(negative);
        }
        return soft::zero(negative);
    }

    // The quotient of two significands with their top bits set lies in
    // (1/2, 2). Dividing x · 2^64 (x < y), or x · 2^63 (x >= y), by y gives
    // its 64 leading bits q, with q's top bit set; the remainder r says
    // where the rest lies against one half of q's last place, and, for a
    // result beyond the normal range, whether there is any rest at all.
    KESTRION_INLINE static constexpr Value divide(Value a, Value b) {
        const bool negative = a.negative != b.negative;
        if (soft::both_finite_nonzero(a, b)) [[likely]] {
            const uint64_t x = a.significand, y = b.significand;
            const uint64_t whole = x >= y ? 1 : 0;
            uint64_t r;
            const uint64_t q = wide::divide(x >> whole, (x << 63) & (0 - whole), y, r);
            // Above one half when r > y - r. Never at it: 2r = y would make
            // x · 2^(65 - whole) = y · (2q + 1), whose odd part, at least
            // 2q + 1 > 2^64, x < 2^64 cannot hold; so no tie to break.
            const uint64_t other = y - r;
            const int32_t exponent = a.exponent - b.exponent + kX87Bias - 1 + static_cast<int32_t>(whole);
            if (soft::normal_below_top_binade(exponent)) [[likely]] {
                return soft::rounded_up_by(negative, q, r > other ? 1 : 0, exponent);
            }
            return soft::round_beyond_normal(negative, q, (r >= other ? soft::kHalf : 0) | (r != other && r != 0 ? 1 : 0),
                                             exponent);
        }
        return divide_rare(a, b, negative);
    }

    KESTRION_RARE static constexpr Value divide_rare(Value a, Value b, bool negative) {
        if (soft::is_nan(a) || soft::is_nan(b)) return soft::nan();
        if (soft::is_infinite(a)) return soft::is_infinite(b) ? soft::nan() : soft::infinity(negative);
        if (soft::is_infinite(b)) return soft::zero(negative);
        if (soft::is_zero(b)) return soft::is_zero(a) ? soft::nan() : soft::infinity(negative);
        return soft::zero(negative);
    }

    static constexpr bool ordered(const Value& a, const Value& b) { return !soft::is_nan(a) && !soft::is_nan(b); }

    // -1, 0 or 1 as a is below, equal to or above b, for ordered values:
    // (exponent, significand) orders magnitudes, zero's below every other.
    static constexpr int compare(const Value& a, const Value& b) {
        if (soft::is_zero(a) && soft::is_zero(b)) return 0;
        if (a.negative != b.negative) return a.negative ? -1 : 1;
        const int order = a.exponent != b.exponent ? (a.exponent < b.exponent ? -1 : 1)
                          : a.significand != b.significand ? (a.significand < b.significand ? -1 : 1)
                                                           : 0;
        return a.negative ? -order : order;
    }

    Value v_;
};

}  // namespace kestrion
