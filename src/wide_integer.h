// Unsigned 128-bit integers and their steps, for the reader's products and
// the software extended format, all in one place, in two forms: the
// compiler's unsigned __int128 where it has one (KESTRION_HAS_UINT128),
// else a pair of 64-bit words, written with 64-bit operations only. Each
// step's contract stands above the pair's form and holds for both; all are
// constexpr, so that constants are built at compile time. Division is in
// wide_division.h.
#pragma once

#include <bit>
#include <cassert>
#include <cstdint>

#include "arithmetic_platform.h"

namespace kestrion::wide {

// The pair of words, written with 64-bit operations only.
namespace two_words {

struct Uint128 {
    uint64_t high, low;
};

// high·2^64 + low, and its two halves back.
inline constexpr Uint128 make(uint64_t high, uint64_t low) { return {high, low}; }
inline constexpr uint64_t high(Uint128 x) { return x.high; }
inline constexpr uint64_t low(Uint128 x) { return x.low; }
inline constexpr bool is_zero(Uint128 x) { return (x.high | x.low) == 0; }
inline constexpr bool equal(Uint128 a, Uint128 b) { return a.high == b.high && a.low == b.low; }
inline constexpr bool less(Uint128 a, Uint128 b) { return a.high < b.high || (a.high == b.high && a.low < b.low); }

// a + b, exact: the caller keeps the sum below 2^128.
inline constexpr Uint128 add(Uint128 a, Uint128 b) {
    const uint64_t low = a.low + b.low;
    return {a.high + b.high + (low < a.low ? 1 : 0), low};
}

// a - b, exact; needs a >= b.
inline constexpr Uint128 subtract(Uint128 a, Uint128 b) {
    assert(!less(a, b));
    return {a.high - b.high - (a.low < b.low ? 1 : 0), a.low - b.low};
}

// a × b, exact.
inline constexpr Uint128 multiply(uint64_t a, uint64_t b) {
    const uint64_t a0 = a & 0xffffffff, a1 = a >> 32, b0 = b & 0xffffffff, b1 = b >> 32;
    const uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
    const uint64_t middle = (p00 >> 32) + (p01 & 0xffffffff) + (p10 & 0xffffffff);
    return {p11 + (p01 >> 32) + (p10 >> 32) + (middle >> 32), (middle << 32) | (p00 & 0xffffffff)};
}

// The zero bits above x's top one; needs x != 0.
inline constexpr int leading_zeros(Uint128 x) {
    assert(!is_zero(x));
    return x.high != 0 ? std::countl_zero(x.high) : 64 + std::countl_zero(x.low);
}

// x << n, bits shifted out of the top lost; needs 0 <= n < 128.
inline constexpr Uint128 shift_left(Uint128 x, int n) {
    assert(n >= 0 && n < 128);
    if (n == 0) return x;
    if (n >= 64) return {x.low << (n - 64), 0};
    return {(x.high << n) | (x.low >> (64 - n)), x.low << n};
}

// x >> n, bits shifted out of the bottom lost; needs 0 <= n < 128.
inline constexpr Uint128 shift_right(Uint128 x, int n) {
    assert(n >= 0 && n < 128);
    if (n == 0) return x;
    if (n >= 64) return {0, x.high >> (n - 64)};
    return {x.high >> n, (x.low >> n) | (x.high << (64 - n))};
}

// x >> n (x itself for n <= 0) with the lowest bit set if any 1 was
// shifted out, so that the result still rounds as x does at every position
// above that bit.
inline constexpr Uint128 shift_right_jam(Uint128 x, int64_t n) {
    if (n <= 0) return x;
    if (n >= 128) return {0, is_zero(x) ? 0u : 1u};
    if (n >= 64) {
        const bool lost = x.low != 0 || (n > 64 && (x.high << (128 - n)) != 0);
        return {0, (n == 64 ? x.high : x.high >> (n - 64)) | (lost ? 1 : 0)};
    }
    const bool lost = (x.low << (64 - n)) != 0;
    return {x.high >> n, ((x.low >> n) | (x.high << (64 - n))) | (lost ? 1 : 0)};
}

}  // namespace two_words

// The compiler's own 128-bit integer, where there is one, under the same contracts.
#if KESTRION_HAS_UINT128
namespace builtin {

__extension__ typedef unsigned __int128 Uint128;

inline constexpr Uint128 make(uint64_t high, uint64_t low) { return (static_cast<Uint128>(high) << 64) | low; }
inline constexpr uint64_t high(Uint128 x) { return static_cast<uint64_t>(x >> 64); }
inline constexpr uint64_t low(Uint128 x) { return static_cast<uint64_t>(x); }
inline constexpr bool is_zero(Uint128 x) { return x == 0; }
inline constexpr bool equal(Uint128 a, Uint128 b) { return a == b; }
inline constexpr bool less(Uint128 a, Uint128 b) { return a < b; }
inline constexpr Uint128 add(Uint128 a, Uint128 b) { return a + b; }
inline constexpr Uint128 subtract(Uint128 a, Uint128 b) {
    assert(a >= b);
    return a - b;
}
inline constexpr Uint128 multiply(uint64_t a, uint64_t b) { return static_cast<Uint128>(a) * b; }

inline constexpr int leading_zeros(Uint128 x) {
    assert(x != 0);
    return high(x) != 0 ? std::countl_zero(high(x)) : 64 + std::countl_zero(low(x));
}

inline constexpr Uint128 shift_left(Uint128 x, int n) {
    assert(n >= 0 && n < 128);
    return x << n;
}

inline constexpr Uint128 shift_right(Uint128 x, int n) {
    assert(n >= 0 && n < 128);
    return x >> n;
}

inline constexpr Uint128 shift_right_jam(Uint128 x, int64_t n) {
    if (n <= 0) return x;
    if (n >= 128) return x != 0 ? 1 : 0;
    const Uint128 lost = x & ((static_cast<Uint128>(1) << n) - 1);
    return (x >> n) | (lost != 0 ? 1 : 0);
}

}  // namespace builtin
using namespace builtin;
#else
using namespace two_words;
#endif

}  // namespace kestrion::wide
