#include "general_format.h"

#include <bit>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "big_integer.h"
#include "compiler.h"
#include "ieee_format.h"
#include "wide_integer.h"

namespace kestrion::testing {
namespace {

// 10^s = (high · 2^64 + low + δ) · 2^exponent with 0 <= δ < 1 and high's
// top bit set: the power's top 128 bits, truncated.
struct Power128 {
    uint64_t high, low;
    int32_t exponent;
};

constexpr int kLeastScale = -80, kMostScale = 80;

// floor(a / b) as two 64-bit words, for a quotient below 2^128; a is left
// as the remainder.
template <class Integer>
void divide_to_128_bits(Integer& a, const Integer& b, uint64_t& high, uint64_t& low) {
    Integer b_high = b;
    b_high.shift_left(64);
    high = a.divide(b_high);
    low = a.divide(b);
}

Power128 power_of_ten(int s) {
    using Integer = BigInteger<16>;  // 2^(127 + 267) and 10^80 · 2^64 fit 512 bits
    Integer ten(1);
    ten.multiply_power_of_ten(s < 0 ? -s : s);
    const int length = ten.bit_length();
    Power128 p{};
    if (s >= 0) {
        // The top 128 bits: 10^s / 2^(length - 128), or shifted up where shorter.
        p.exponent = length - 128;
        Integer divisor(1);
        if (p.exponent >= 0) {
            divisor.shift_left(p.exponent);
        } else {
            ten.shift_left(-p.exponent);
        }
        divide_to_128_bits(ten, divisor, p.high, p.low);
    } else {
        // 2^(127 + length) / 10^-s lies in (2^127, 2^128), as 10^-s is no power of two.
        p.exponent = -(127 + length);
        Integer numerator(1);
        numerator.shift_left(127 + length);
        divide_to_128_bits(numerator, ten, p.high, p.low);
    }
    assert((p.high >> 63) == 1);
    return p;
}

struct PowerTable {
    Power128 power[kMostScale - kLeastScale + 1];
    PowerTable() {
        for (int s = kLeastScale; s <= kMostScale; ++s) power[s - kLeastScale] = power_of_ten(s);
    }
};

uint64_t power_of_ten_word(int n) {
    uint64_t p = 1;
    while (n-- > 0) p *= 10;
    return p;
}

char* left_to_snprintf(double value, int precision, char* out) {
    const int length = std::snprintf(out, kGeneralFormatLength, "%.*g", precision, value);
    return out + length;
}

// `digits` (exactly `precision` of them) worth d.ddd · 10^exponent, as %g
// lays them out.
char* lay_out(bool negative, uint64_t digits, int precision, int exponent, char* out) {
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    char text[20];
    int i = precision;
    for (; i >= 2; i -= 2, digits /= 100) std::memcpy(text + i - 2, kPairs + 2 * (digits % 100), 2);
    if (i == 1) text[0] = static_cast<char>('0' + digits);
    int significant = precision;
    while (significant > 1 && text[significant - 1] == '0') --significant;  // trailing zeros go
    if (negative) *out++ = '-';
    if (exponent < -4 || exponent >= precision) {
        *out++ = text[0];
        if (significant > 1) {
            *out++ = '.';
            std::memcpy(out, text + 1, static_cast<size_t>(significant - 1));
            out += significant - 1;
        }
        out += std::snprintf(out, 8, "e%c%02d", exponent < 0 ? '-' : '+', exponent < 0 ? -exponent : exponent);
        return out;
    }
    if (exponent < 0) {
        std::memcpy(out, "0.0000", static_cast<size_t>(1 - exponent));
        out += 1 - exponent;
        std::memcpy(out, text, static_cast<size_t>(significant));
        out += significant;
    } else {
        std::memcpy(out, text, static_cast<size_t>(exponent + 1));
        out += exponent + 1;
        if (significant > exponent + 1) {
            *out++ = '.';
            std::memcpy(out, text + exponent + 1, static_cast<size_t>(significant - exponent - 1));
            out += significant - exponent - 1;
        }
    }
    *out = '\0';
    return out;
}

}  // namespace

// Why it is exact. With |value| = m · 2^e (m normalised to [2^63, 2^64))
// and 10^s = (P + δ) · 2^q from the table, value · 10^s = m · (P + δ) ·
// 2^(e + q), and m · P, a 192-bit product, is exact. Its integer part N
// and its first 64 fraction bits F are read off it; the true value lies
// in [N + F / 2^64, N + (F + 2) / 2^64): the bits of m · P below F and
// m · δ (below 2^64 units of 2^(e + q), which the shift past 2^128 makes
// below one unit of F) each add less than one unit of F. So when F is
// neither 2^63 - 1 nor 2^63, the value lies strictly on one side of the
// half between N and N + 1, and N + (F > 2^63) is its correct rounding.
// N itself may be one too low only where F is near its top, which rounds
// up either way.
char* write_general(double value, int precision, char* out) {
    assert(std::isfinite(value) && precision >= 1 && precision <= 17);
    static const PowerTable table;
    const auto bits = kestrion::bit_cast<uint64_t>(value);
    const bool negative = DoubleLayout::negative(bits);
    if (value == 0) {
        std::memcpy(out, negative ? "-0" : "0", negative ? 3 : 2);
        return out + (negative ? 2 : 1);
    }
    const uint64_t field = DoubleLayout::field(bits);
    uint64_t m = DoubleLayout::fraction(bits) | (field != 0 ? DoubleLayout::kHiddenBit : 0);
    int e = static_cast<int>(field != 0 ? field : 1) - DoubleLayout::kLowBitOffset;
    const int z = std::countl_zero(m);
    m <<= z;
    e -= z;

    const uint64_t least = power_of_ten_word(precision - 1), most = least * 10;
    // floor(log10 |value|), perhaps one too low: the top bit's exponent
    // times 78913 / 2^18, a little below log10 2.
    int exponent = ((e + 63) * 78913) >> 18;
    for (int tries = 0; tries < 3; ++tries) {
        const int s = precision - 1 - exponent;
        if (s < kLeastScale || s > kMostScale) break;
        const Power128& p = table.power[s - kLeastScale];
        const wide::Uint128 by_low = wide::multiply(m, p.low), by_high = wide::multiply(m, p.high);
        const wide::Uint128 upper = wide::add(by_high, wide::make(0, wide::high(by_low)));  // bits 64 to 191
        const int shift = -(e + p.exponent) - 128;  // of the upper word, to the integer part
        if (shift <= 0 || shift >= 64) break;
        const uint64_t whole = wide::high(upper) >> shift;
        const uint64_t fraction = (wide::high(upper) << (64 - shift)) | (wide::low(upper) >> shift);
        if (whole < least) {
            --exponent;
            continue;
        }
        if (whole >= most) {
            ++exponent;
            continue;
        }
        constexpr uint64_t kHalf = uint64_t{1} << 63;
        if (fraction == kHalf || fraction == kHalf - 1) break;  // too near a tie to decide
        uint64_t digits = whole + (fraction > kHalf ? 1 : 0);
        int written_exponent = exponent;
        if (digits == most) {
            digits = least;
            ++written_exponent;
        }
        return lay_out(negative, digits, precision, written_exponent, out);
    }
    return left_to_snprintf(value, precision, out);
}

}  // namespace kestrion::testing
