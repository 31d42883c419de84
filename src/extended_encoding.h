// The x87 80-bit extended format as stored: the sign and 15-bit biased
// exponent, and the 64-bit significand with its explicit integer bit.
// Exponent 0 holds zeros and subnormals (value = significand × 2^-16445),
// 0x7fff infinities (significand 2^63) and NaNs; others are normal
// numbers, significand × 2^(exponent - 16383 - 63), with the integer bit set.
#pragma once

#include <cstdint>

namespace kestrion {

inline constexpr int kX87Bias = 16383;
inline constexpr uint16_t kX87MaxExponent = 0x7fff;
inline constexpr uint64_t kX87IntegerBit = uint64_t{1} << 63;
// The significand's lowest bit is worth 2^(exponent - this), and a
// subnormal's 2^(1 - this) = 2^-16445.
inline constexpr int32_t kX87LowBitOffset = kX87Bias + 63;

struct X87Encoding {
    uint16_t sign_exponent;
    uint64_t significand;

    static constexpr X87Encoding nan() { return {kX87MaxExponent, uint64_t{3} << 62}; }
    static constexpr X87Encoding infinity(bool negative) {
        return {static_cast<uint16_t>(sign_bit(negative) | kX87MaxExponent), kX87IntegerBit};
    }
    static constexpr X87Encoding zero(bool negative) { return {sign_bit(negative), 0}; }
    static constexpr uint16_t sign_bit(bool negative) { return negative ? 0x8000 : 0; }

    constexpr bool negative() const { return (sign_exponent >> 15) != 0; }
    constexpr int32_t biased_exponent() const { return sign_exponent & kX87MaxExponent; }
    constexpr bool is_nan() const { return biased_exponent() == kX87MaxExponent && significand != kX87IntegerBit; }
    constexpr bool is_inf() const { return biased_exponent() == kX87MaxExponent && significand == kX87IntegerBit; }
    constexpr bool is_zero() const { return significand == 0; }
    // The exponent of the significand's lowest bit, for a finite value.
    constexpr int32_t low_bit_exponent() const { return (biased_exponent() == 0 ? 1 : biased_exponent()) - kX87LowBitOffset; }

    friend bool operator==(const X87Encoding&, const X87Encoding&) = default;
};

}  // namespace kestrion
