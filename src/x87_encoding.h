// The x87 80-bit extended format as stored: the sign and 15-bit biased
// exponent, and the 64-bit significand with its explicit integer bit.
// Exponent 0 holds zeros and subnormals (value = significand × 2^-16445),
// 0x7fff infinities (significand 2^63) and NaNs; others are normal
// numbers, significand × 2^(exponent - 16383 - 63), with the integer bit set.
#pragma once

#include <cstdint>

namespace kestrion {

struct X87Encoding {
    uint16_t sign_exponent;
    uint64_t significand;

    friend bool operator==(const X87Encoding&, const X87Encoding&) = default;
};

inline constexpr int kX87Bias = 16383;
inline constexpr uint16_t kX87MaxExponent = 0x7fff;

}  // namespace kestrion
