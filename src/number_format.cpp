#include "number_format.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>


namespace kestrion {
namespace {

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

char* write_two(unsigned pair, char* out) {
    std::memcpy(out, kDigitPairs + 2 * pair, 2);
    return out + 2;
}

// n's decimal digits, written straight to their places from the last one:
// first the length, then the pairs.
char* write_unsigned(uint64_t n, char* out) {
    int length = 1;
    for (uint64_t bound = 10; length < 20 && n >= bound; bound *= 10) ++length;
    char* const end = out + length;
    char* p = end;
    while (n >= 100) {
        p -= 2;
        std::memcpy(p, kDigitPairs + 2 * (n % 100), 2);
        n /= 100;
    }
    if (n >= 10) {
        std::memcpy(p - 2, kDigitPairs + 2 * n, 2);
    } else {
        p[-1] = static_cast<char>('0' + n);
    }
    return end;
}

// Six decimals: three pairs.
char* write_micro(unsigned micro, char* out) {
    out = write_two(micro / 10000, out);
    out = write_two(micro / 100 % 100, out);
    return write_two(micro % 100, out);
}

// 2^63: below it the scaled value fits an unsigned 64-bit integer.
constexpr double kScaledLimit = 9223372036854775808.0;

// The slow rule, for the values the integer path below leaves out (under
// 2^-20, or 2^24 and up): value × 10^6 is exact in double, since a single
// has 24 significant bits and 10^6 needs 14 (15625 × 2^6), even for
// subnormals; "%f" is that product rounded to an integer, ties to even,
// with the point six places in.
char* format_scaled(double magnitude, char* out) {
    const double scaled = magnitude * 1e6;
    if (scaled >= kScaledLimit) {
        // A single this large is an integer: nothing to round.
        return std::to_chars(out, out + kMaxFixed6Length, magnitude, std::chars_format::fixed, 6).ptr;
    }
    uint64_t units = static_cast<uint64_t>(scaled);
    const double fraction = scaled - static_cast<double>(units);  // exact
    if (fraction > 0.5 || (fraction == 0.5 && (units & 1) != 0)) ++units;
    out = write_unsigned(units / 1000000, out);
    *out++ = '.';
    return write_micro(static_cast<unsigned>(units % 1000000), out);
}

}  // namespace

// The usual path, in integers from the single's own bits: value = m · 2^-k
// with m < 2^24, so the whole part is m >> k and the fraction f = m mod 2^k
// over 2^k. Its six decimals are f · 10^6 / 2^k rounded to nearest, ties to
// even, which for k <= 44 is exact in 64 bits (f · 10^6 < 2^(k + 20)); a
// round up to 10^6 carries into the whole part. No branch depends on the
// digits, so the report's seven values cost the same whatever they are.
char* format_fixed6(float value, char* out) {
    const auto bits = std::bit_cast<uint32_t>(value);
    const uint32_t field = (bits >> 23) & 0xff;
    const uint32_t fraction_bits = bits & 0x7fffff;
    if (field == 0xff && fraction_bits != 0) {
        std::memcpy(out, "nan", 3);
        return out + 3;
    }
    if ((bits >> 31) != 0) *out++ = '-';
    if (field == 0xff) {
        std::memcpy(out, "inf", 3);
        return out + 3;
    }
    // value = m · 2^-k, subnormals included
    const uint64_t m = field == 0 ? fraction_bits : fraction_bits | (1u << 23);
    const int k = field == 0 ? 149 : 150 - static_cast<int>(field);
    if (k < 1 || k > 44) return format_scaled(std::fabs(static_cast<double>(value)), out);

    const uint64_t low_mask = (uint64_t{1} << k) - 1;
    const uint64_t product = (m & low_mask) * 1000000;
    uint64_t micro = product >> k;
    const uint64_t rest = product & low_mask, half = uint64_t{1} << (k - 1);
    micro += (rest > half) | ((rest == half) & micro);
    const uint64_t carry = micro == 1000000 ? 1 : 0;
    out = write_unsigned((m >> k) + carry, out);
    *out++ = '.';
    return write_micro(static_cast<unsigned>(micro - carry * 1000000), out);
}

}  // namespace kestrion
