// Text eight bytes at a time: the bytes as one 64-bit word, the first in
// its lowest byte whatever the target's byte order, loaded and stored so;
// and, for the reader, which of them are white space and which digits,
// found for all eight at once.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "compiler.h"

namespace kestrion::words {

inline constexpr uint64_t kHighBits = 0x8080808080808080;
inline constexpr uint64_t kLowSevenBits = 0x7f7f7f7f7f7f7f7f;

// Each byte's copy of b.
constexpr uint64_t every_byte(uint8_t b) { return uint64_t{0x0101010101010101} * b; }

// A word in memory order as one in text order, and back: the same word
// where the target is little-endian, its bytes reversed where big-endian
// (in shifts, which compilers turn into one byte swap).
KESTRION_INLINE constexpr uint64_t in_text_order(uint64_t w) {
    if constexpr (std::endian::native == std::endian::big) {
        w = ((w & 0x00000000ffffffff) << 32) | (w >> 32);
        w = ((w & 0x0000ffff0000ffff) << 16) | ((w >> 16) & 0x0000ffff0000ffff);
        w = ((w & 0x00ff00ff00ff00ff) << 8) | ((w >> 8) & 0x00ff00ff00ff00ff);
    }
    return w;
}

// The eight bytes at p, the first in the lowest byte.
KESTRION_INLINE uint64_t load(const char* p) {
    uint64_t w;
    std::memcpy(&w, p, 8);
    return in_text_order(w);
}

// The eight bytes of w at p, its lowest byte first.
KESTRION_INLINE void store(char* p, uint64_t w) {
    w = in_text_order(w);
    std::memcpy(p, &w, 8);
}

// The high bit of each byte of w that is white space (blank, tab, line
// feed, vertical tab, form feed, carriage return). Every byte is tested on
// its low seven bits, where adding a constant below 0x80 carries into the
// byte's high bit and never past it, so each byte's answer is its own.
KESTRION_INLINE constexpr uint64_t space_bytes(uint64_t w) {
    const uint64_t low = w & kLowSevenBits;
    const uint64_t not_blank = (low ^ every_byte(' ')) + kLowSevenBits;           // high bit: not 0x20
    const uint64_t from_tab = low + every_byte(0x80 - '\t');                        // high bit: >= 0x09
    const uint64_t past_return = low + every_byte(0x80 - '\r' - 1);                 // high bit: >= 0x0e
    return (~not_blank | (from_tab & ~past_return)) & ~w & kHighBits;
}

// The high bit of each byte of w that is not a decimal digit, exact for
// every byte up to the first such byte, which is all a run's length needs:
// a digit neither carries out of its byte when 0x46 is added nor borrows
// when 0x30 is taken, so a wrong answer can only follow a non-digit.
KESTRION_INLINE constexpr uint64_t non_digit_bytes(uint64_t w) {
    return ((w + every_byte(0x46)) | (w - every_byte('0'))) & kHighBits;
}

// The number of bytes before the first unmarked one, from marks as above:
// 0 to 8.
KESTRION_INLINE constexpr int leading_marked(uint64_t marks) {
    return std::countr_zero(~marks & kHighBits) / 8;
}
KESTRION_INLINE constexpr int leading_unmarked(uint64_t marks) { return std::countr_zero(marks) / 8; }

// The white space bytes at the front of w, and the digits: 0 to 8.
KESTRION_INLINE constexpr int leading_spaces(uint64_t w) { return leading_marked(space_bytes(w)); }
KESTRION_INLINE constexpr int leading_digits(uint64_t w) { return leading_unmarked(non_digit_bytes(w)); }

}  // namespace kestrion::words
