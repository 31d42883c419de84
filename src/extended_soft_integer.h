// The 128-bit integer steps of the software extended format, all in one
// place, in two forms: unsigned __int128 where the compiler has it (GCC and
// Clang on 64-bit targets), else a pair of 64-bit words. MSVC would take the
// pair, with _umul128 in multiply() and _udiv128 in divide(). Each step's
// contract stands above the pair's form and holds for both.
#pragma once

#include <bit>
#include <cassert>
#include <cstdint>

namespace kestrion::wide {

// The pair of words, written with 64-bit operations only.
namespace two_words {

struct Uint128 {
    uint64_t high, low;
};

// high·2^64 + low, and its two halves back.
inline Uint128 make(uint64_t high, uint64_t low) { return {high, low}; }
inline uint64_t high(Uint128 x) { return x.high; }
inline uint64_t low(Uint128 x) { return x.low; }
inline bool is_zero(Uint128 x) { return (x.high | x.low) == 0; }
inline bool equal(Uint128 a, Uint128 b) { return a.high == b.high && a.low == b.low; }
inline bool less(Uint128 a, Uint128 b) { return a.high < b.high || (a.high == b.high && a.low < b.low); }

// a + b, exact: the caller keeps the sum below 2^128.
inline Uint128 add(Uint128 a, Uint128 b) {
    const uint64_t low = a.low + b.low;
    return {a.high + b.high + (low < a.low ? 1 : 0), low};
}

// a - b, exact; needs a >= b.
inline Uint128 subtract(Uint128 a, Uint128 b) {
    assert(!less(a, b));
    return {a.high - b.high - (a.low < b.low ? 1 : 0), a.low - b.low};
}

// a × b, exact.
inline Uint128 multiply(uint64_t a, uint64_t b) {
    const uint64_t a0 = a & 0xffffffff, a1 = a >> 32, b0 = b & 0xffffffff, b1 = b >> 32;
    const uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
    const uint64_t middle = (p00 >> 32) + (p01 & 0xffffffff) + (p10 & 0xffffffff);
    return {p11 + (p01 >> 32) + (p10 >> 32) + (middle >> 32), (middle << 32) | (p00 & 0xffffffff)};
}

// (high·2^64 + low) / divisor, and its remainder; needs high < divisor, so
// that the quotient fits 64 bits. Long division in 32-bit digits with a
// normalised divisor (Knuth's algorithm D, as Hacker's Delight writes it for
// two digits).
inline uint64_t divide(uint64_t high, uint64_t low, uint64_t divisor, uint64_t& remainder) {
    assert(high < divisor);
    constexpr uint64_t kDigit = uint64_t{1} << 32;
    const int shift = std::countl_zero(divisor);
    const uint64_t v = divisor << shift;
    const uint64_t v1 = v >> 32, v0 = v & 0xffffffff;
    const uint64_t u32 = (high << shift) | (shift == 0 ? 0 : low >> (64 - shift));
    const uint64_t u10 = low << shift;
    const uint64_t u1 = u10 >> 32, u0 = u10 & 0xffffffff;

    uint64_t q1 = u32 / v1, rest = u32 - q1 * v1;
    while (q1 >= kDigit || q1 * v0 > kDigit * rest + u1) {
        --q1;
        rest += v1;
        if (rest >= kDigit) break;
    }
    const uint64_t u21 = u32 * kDigit + u1 - q1 * v;
    uint64_t q0 = u21 / v1;
    rest = u21 - q0 * v1;
    while (q0 >= kDigit || q0 * v0 > kDigit * rest + u0) {
        --q0;
        rest += v1;
        if (rest >= kDigit) break;
    }
    remainder = (u21 * kDigit + u0 - q0 * v) >> shift;
    return q1 * kDigit + q0;
}

// The zero bits above x's top one; needs x != 0.
inline int leading_zeros(Uint128 x) {
    assert(!is_zero(x));
    return x.high != 0 ? std::countl_zero(x.high) : 64 + std::countl_zero(x.low);
}

// x << n, bits shifted out of the top lost; needs 0 <= n < 128.
inline Uint128 shift_left(Uint128 x, int n) {
    assert(n >= 0 && n < 128);
    if (n == 0) return x;
    if (n >= 64) return {x.low << (n - 64), 0};
    return {(x.high << n) | (x.low >> (64 - n)), x.low << n};
}

// x >> n (x itself for n <= 0) with the lowest bit set if any 1 was
// shifted out, so that the result still rounds as x does at every position
// above that bit.
inline Uint128 shift_right_jam(Uint128 x, int64_t n) {
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
#if defined(__SIZEOF_INT128__)
namespace builtin {

__extension__ typedef unsigned __int128 Uint128;

inline Uint128 make(uint64_t high, uint64_t low) { return (static_cast<Uint128>(high) << 64) | low; }
inline uint64_t high(Uint128 x) { return static_cast<uint64_t>(x >> 64); }
inline uint64_t low(Uint128 x) { return static_cast<uint64_t>(x); }
inline bool is_zero(Uint128 x) { return x == 0; }
inline bool equal(Uint128 a, Uint128 b) { return a == b; }
inline bool less(Uint128 a, Uint128 b) { return a < b; }
inline Uint128 add(Uint128 a, Uint128 b) { return a + b; }
inline Uint128 subtract(Uint128 a, Uint128 b) {
    assert(a >= b);
    return a - b;
}
inline Uint128 multiply(uint64_t a, uint64_t b) { return static_cast<Uint128>(a) * b; }

inline uint64_t divide(uint64_t high, uint64_t low, uint64_t divisor, uint64_t& remainder) {
    assert(high < divisor);
#if defined(__x86_64__)
    // One instruction, where a 128-bit division would call a library routine.
    uint64_t quotient;
    __asm__("divq %[divisor]" : "=a"(quotient), "=d"(remainder) : [divisor] "rm"(divisor), "a"(low), "d"(high));
    return quotient;
#else
    const auto quotient = static_cast<uint64_t>(make(high, low) / divisor);
    remainder = low - quotient * divisor;  // the true remainder is below 2^64
    return quotient;
#endif
}

inline int leading_zeros(Uint128 x) {
    assert(x != 0);
    return high(x) != 0 ? std::countl_zero(high(x)) : 64 + std::countl_zero(low(x));
}

inline Uint128 shift_left(Uint128 x, int n) {
    assert(n >= 0 && n < 128);
    return x << n;
}

inline Uint128 shift_right_jam(Uint128 x, int64_t n) {
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
