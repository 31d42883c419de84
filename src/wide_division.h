// Dividing a 128-bit number by a normalised 64-bit one, for the software
// extended format's quotients: x86-64's own instruction where there is
// one, else multiplications only, with no call to a library division
// routine (which is what a 128-bit division, and on 32-bit ARM even a
// 64-bit one, would otherwise compile to).
#pragma once

#include <array>
#include <cassert>
#include <cstdint>
#include <type_traits>

#include "arithmetic_platform.h"
#include "compiler.h"
#include "wide_integer.h"

namespace kestrion::wide {

namespace reciprocal_detail {

// Eleven-bit seeds of the reciprocal, by the top nine bits of the divisor:
// floor((2^19 - 3 · 2^8) / d9) for d9 from 256 to 511.
inline constexpr auto kSeeds = [] {
    std::array<uint16_t, 256> seeds{};
    for (uint32_t d9 = 256; d9 < 512; ++d9) seeds[d9 - 256] = static_cast<uint16_t>(((1u << 19) - (3u << 8)) / d9);
    return seeds;
}();

}  // namespace reciprocal_detail

// v = floor((2^128 - 1) / d) - 2^64, for 2^63 <= d < 2^64: the reciprocal
// of d, less its leading one, to 64 bits.
//
// Why it is exact. v0 to v3 are the table seed and three Newton steps of
// Möller and Granlund ("Improved division by invariant integers", IEEE
// Transactions on Computers 60, 2011, algorithm 2), each in 64-bit
// integers: v0 has about 11 correct bits, v1 about 22, v2 about 35, and v3
// is v or v - 1 (its error analysis is the paper's; the tests hold v3 to
// it on every seed's interval ends and millions of divisors). The step
// computed as e is 2^96 - v2 · d63 + floor(v2 / 2) · d0, which lies in
// [0, 2^64), so its value mod 2^64 is the value itself.
//
// The last step decides between v3 and v3 + 1 exactly. With
// F = floor((2^64 + v3 + 1) · d / 2^64) = d + high(v3 · d + d): when
// v3 = v, (2^64 + v + 1) · d lies in [2^128, 2^128 + d), so F = 2^64 and
// v3 - F = v3 (mod 2^64); when v3 = v - 1, (2^64 + v) · d lies in
// [2^128 - d, 2^128), so F = 2^64 - 1 and v3 - F = v3 + 1. Either way
// v3 - F (mod 2^64) is v. (v3 · d + d < 2^128, as v3 < 2^64.)
constexpr uint64_t reciprocal(uint64_t d) {
    assert((d >> 63) != 0);
    const uint64_t d0 = d & 1, d9 = d >> 55, d40 = (d >> 24) + 1, d63 = (d >> 1) + d0;
    const uint64_t v0 = reciprocal_detail::kSeeds[d9 - 256];
    const uint64_t v1 = (v0 << 11) - ((v0 * v0 * d40) >> 40) - 1;
    const uint64_t v2 = (v1 << 13) + ((v1 * ((uint64_t{1} << 60) - v1 * d40)) >> 47);
    const uint64_t e = ((v2 >> 1) & (0 - d0)) - v2 * d63;
    const uint64_t v3 = (v2 << 31) + (high(multiply(v2, e)) >> 1);
    return v3 - (d + high(add(multiply(v3, d), make(0, d))));
}

// (high · 2^64 + low) / d and its remainder, for 2^63 <= d < 2^64 and
// high < d, given v = reciprocal(d): Möller and Granlund's algorithm 4.
//
// Why it is exact. Let u = high · 2^64 + low, β = 2^64, and
// k = β² - (β + v) · d, which lies in [1, d] by the definition of v. The
// product (q1, q0) = (β + v) · high + low, below β², gives the candidate
// quotient q1 + 1, whose remainder r~ = u - (q1 + 1) · d satisfies
// β · r~ = k · high + low · (β - d) + d · (q0 - β). The first two terms lie
// in [0, d (d - 1) + (β - 1)(β - d)], so q0 - β < r~ (as d < β), -d <= r~,
// and r~ < max(β - d, q0) <= 2d. Computed mod β, an r~ < 0 shows as
// r~ + β > q0, and the first correction takes the quotient one down and
// the remainder to r~ + d, in [0, d). An r~ >= 0 that shows above q0 is
// below β - d (the max), and the first correction takes it to r~ + d, in
// [d, β), which the second brings back. Any other r~ >= 0 is below 2d,
// and the second correction, where r~ >= d, makes it the remainder. So
// each correction is needed at most once.
constexpr uint64_t divide_with_reciprocal(uint64_t high_part, uint64_t low_part, uint64_t d, uint64_t v,
                                          uint64_t& remainder) {
    assert((d >> 63) != 0 && high_part < d);
    const Uint128 q = add(multiply(v, high_part), make(high_part, low_part));
    uint64_t q1 = high(q) + 1;
    const uint64_t q0 = low(q);
    uint64_t r = low_part - q1 * d;
    if (r > q0) {
        --q1;
        r += d;
    }
    if (r >= d) [[unlikely]] {
        ++q1;
        r -= d;
    }
    remainder = r;
    return q1;
}

// (high · 2^64 + low) / d and its remainder; needs 2^63 <= d and high < d,
// so that the quotient fits 64 bits.
KESTRION_INLINE constexpr uint64_t divide(uint64_t high_part, uint64_t low_part, uint64_t d, uint64_t& remainder) {
    assert((d >> 63) != 0 && high_part < d);
#if KESTRION_HAS_DIVQ
    if (!std::is_constant_evaluated()) {
        // One instruction, where a 128-bit division would call a library routine.
        uint64_t quotient;
        __asm__("divq %[d]" : "=a"(quotient), "=d"(remainder) : [d] "rm"(d), "a"(low_part), "d"(high_part));
        return quotient;
    }
#endif
    return divide_with_reciprocal(high_part, low_part, d, reciprocal(d), remainder);
}

}  // namespace kestrion::wide
