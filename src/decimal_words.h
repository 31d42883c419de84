// Decimal digits eight to a 64-bit word, for reading and printing numbers
// without a step a digit: the powers of ten, the decimal length of an
// integer, the value of up to eight ASCII digits, and the eight ASCII
// digits of a value. A word holds its bytes in text order, the first in
// its lowest byte (text_words.h loads and stores them so on every target).
#pragma once

#include <bit>
#include <cassert>
#include <cstdint>

#include "compiler.h"

namespace kestrion {

// 10^n for n from 0 to 19, every power of ten below 2^64.
inline constexpr uint64_t kPowersOfTen[] = {
    1,
    10,
    100,
    1'000,
    10'000,
    100'000,
    1'000'000,
    10'000'000,
    100'000'000,
    1'000'000'000,
    10'000'000'000,
    100'000'000'000,
    1'000'000'000'000,
    10'000'000'000'000,
    100'000'000'000'000,
    1'000'000'000'000'000,
    10'000'000'000'000'000,
    100'000'000'000'000'000,
    1'000'000'000'000'000'000,
    10'000'000'000'000'000'000u,
};

// The number of decimal digits of n (0 for 0): its bit length times
// 1233 / 2^12, a little over log10 2, is the decimal length or one less,
// and one comparison tells which.
KESTRION_INLINE constexpr int decimal_length(uint64_t n) {
    const int guess = (std::bit_width(n) * 1233) >> 12;
    return guess + (n >= kPowersOfTen[guess] ? 1 : 0);
}

// The value of the eight bytes of `word`, each an ASCII digit, and of its
// first `count` bytes, count from 1 to 8. Moved up by the bytes after them,
// the digits stand at the word's top behind zeros ('0's once the digits'
// offset is put back), which do not change the value; then pairs,
// quads and the eight are joined by three multiplications, each combining
// neighbours at once: byte 2i becomes ten times itself plus byte 2i + 1,
// and likewise for the 16-bit pairs and the 32-bit quads, with the lanes'
// sums below their widths (99, 9,999 and 99,999,999).
KESTRION_INLINE constexpr uint64_t eight_digits_value(uint64_t word) {
    uint64_t w = word - 0x3030303030303030;
    w = (w * 10) + (w >> 8);
    const uint64_t pairs = w & 0x000000ff000000ff, pairs_shifted = (w >> 16) & 0x000000ff000000ff;
    return ((pairs * (100 + (uint64_t{1'000'000} << 32))) + (pairs_shifted * (1 + (uint64_t{10'000} << 32)))) >> 32;
}
KESTRION_INLINE constexpr uint64_t digits_value(uint64_t word, int count) {
    assert(count >= 1 && count <= 8);
    return eight_digits_value(((word - 0x3030303030303030) << (8 * (8 - count))) + 0x3030303030303030);
}

// n, below 10^8, as eight ASCII digits with its leading zeros, the first
// in the lowest byte. The two halves of four digits go in the word's two
// 32-bit lanes, each lane is split into two 16-bit lanes of two digits,
// and each of those into two bytes of one digit, by one multiplication a
// split. A lane x split at 2^b by q = x / d becomes q + 2^b · (x - d · q)
// = 2^b · x - (2^b · d - 1) · q, which no lane's part takes below zero or
// past its width, so the whole word is split at once. The quotients are
// multiplications too: x / 100 for x < 10^4 is (x · 10486) >> 20, and
// x / 10 for x < 100 is (x · 103) >> 10, each factor's excess over
// 2^20 / 100 and 2^10 / 10 being too small over those ranges to reach the
// next whole number; n / 10^4 is (n · 109951163) >> 40, the excess over
// 2^40 / 10^4 being under 0.23, so under 2.1 · 10^-5 for n < 10^8, less
// than the 10^-4 by which n / 10^4 stays below the next whole number.
KESTRION_INLINE constexpr uint64_t eight_digits(uint64_t n) {
    assert(n < 100'000'000);
    const uint64_t first_four = (n * 109'951'163) >> 40;
    uint64_t w = (n << 32) - first_four * ((uint64_t{10'000} << 32) - 1);
    const uint64_t hundreds = ((w * 10486) >> 20) & 0x0000007f0000007f;
    w = (w << 16) - hundreds * ((100 << 16) - 1);
    const uint64_t tens = ((w * 103) >> 10) & 0x000f000f000f000f;
    w = (w << 8) - tens * ((10 << 8) - 1);
    return w | 0x3030303030303030;
}

// The two ASCII digits of each n below 100, the first in the low byte.
inline constexpr auto kDigitPairs = [] {
    struct {
        uint16_t text[100];
    } pairs{};
    for (int n = 0; n < 100; ++n) pairs.text[n] = static_cast<uint16_t>(('0' + n / 10) | ('0' + n % 10) << 8);
    return pairs;
}();

// n, below 10^4, as four ASCII digits in the word's low four bytes: its
// two pairs from the table. n / 100 is (n · 10486) >> 20, the factor's
// excess over 2^20 / 100 being too small over that range to reach the
// next whole number.
KESTRION_INLINE constexpr uint64_t four_digits(uint64_t n) {
    assert(n < 10'000);
    const uint64_t hundreds = (n * 10486) >> 20;
    return kDigitPairs.text[hundreds] | uint64_t{kDigitPairs.text[n - 100 * hundreds]} << 16;
}

}  // namespace kestrion
