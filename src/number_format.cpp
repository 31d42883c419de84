#include "number_format.h"

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

char* write_unsigned(uint64_t n, char* out) {
    char buffer[20];
    char* p = buffer + sizeof buffer;
    while (n >= 100) {
        p -= 2;
        std::memcpy(p, kDigitPairs + 2 * (n % 100), 2);
        n /= 100;
    }
    if (n >= 10) {
        p -= 2;
        std::memcpy(p, kDigitPairs + 2 * n, 2);
    } else {
        *--p = static_cast<char>('0' + n);
    }
    const size_t length = static_cast<size_t>(buffer + sizeof buffer - p);
    std::memcpy(out, p, length);
    return out + length;
}

// 2^63: below it the scaled value fits an unsigned 64-bit integer.
constexpr double kScaledLimit = 9223372036854775808.0;

}  // namespace

char* format_fixed6(float value, char* out) {
    if (std::isnan(value)) {
        std::memcpy(out, "nan", 3);
        return out + 3;
    }
    if (std::signbit(value)) *out++ = '-';
    if (std::isinf(value)) {
        std::memcpy(out, "inf", 3);
        return out + 3;
    }
    // A single has 24 significant bits and 10^6 needs 14 (15625 × 2^6), so the
    // product is exact in double, even for subnormals; "%f" is that product
    // rounded to an integer, ties to even, with the point six places in.
    const double scaled = std::fabs(static_cast<double>(value)) * 1e6;
    if (scaled >= kScaledLimit) {
        // A single this large is an integer: nothing to round.
        return std::to_chars(out, out + kMaxFixed6Length, std::fabs(static_cast<double>(value)),
                             std::chars_format::fixed, 6)
            .ptr;
    }
    uint64_t units = static_cast<uint64_t>(scaled);
    const double fraction = scaled - static_cast<double>(units);  // exact
    if (fraction > 0.5 || (fraction == 0.5 && (units & 1) != 0)) ++units;

    out = write_unsigned(units / 1000000, out);
    *out++ = '.';
    const auto micro = static_cast<unsigned>(units % 1000000);
    out = write_two(micro / 10000, out);
    out = write_two(micro / 100 % 100, out);
    return write_two(micro % 100, out);
}

}  // namespace kestrion
