#include "decimal_conversion.h"

#include <cfloat>
#include <charconv>
#include <cstdio>
#include <limits>

namespace kestrion {
namespace {

// Past these the value is certainly infinite (>= 10^309) or rounds to zero
// (< 10^-330, under half the least subnormal double).
constexpr int64_t kOverflowExponent = 310;
constexpr int64_t kUnderflowExponent = -330;

constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Both the integer (under 10^15 < 2^53) and the power of ten (up to 10^22)
// are exact doubles, so one multiplication or division rounds correctly.
// That needs plain double arithmetic, not wider intermediates.
bool fast_path(const DecimalNumber& number, double& result) {
    if (FLT_EVAL_METHOD != 0 || number.digit_count > 15 || number.dropped_nonzero) return false;
    const int64_t scale = number.exponent - number.digit_count;
    if (scale < -22 || scale > 22) return false;
    uint64_t mantissa = 0;
    for (int i = 0; i < number.digit_count; ++i) mantissa = mantissa * 10 + static_cast<uint64_t>(number.digits[i] - '0');
    const double m = static_cast<double>(mantissa);
    result = scale < 0 ? m / kExactPowersOfTen[-scale] : m * kExactPowersOfTen[scale];
    return true;
}

double slow_path(const DecimalNumber& number) {
    // "0.<digits>[1]e<exponent>": a dropped nonzero tail becomes one trailing 1,
    // which sits on the same side of every midpoint as the tail itself.
    char text[DecimalNumber::kMaxDigits + 32];
    char* p = text;
    *p++ = '0';
    *p++ = '.';
    for (int i = 0; i < number.digit_count; ++i) *p++ = number.digits[i];
    if (number.dropped_nonzero) *p++ = '1';
    p += std::snprintf(p, 16, "e%d", static_cast<int>(number.exponent));
    double value = 0;
    const auto result = std::from_chars(text, p, value);
    if (result.ec == std::errc::result_out_of_range) {
        value = number.exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return value;
}

}  // namespace

double to_double(const DecimalNumber& number) {
    double magnitude;
    if (number.digit_count == 0 || number.exponent < kUnderflowExponent) {
        magnitude = 0;
    } else if (number.exponent > kOverflowExponent) {
        magnitude = std::numeric_limits<double>::infinity();
    } else if (!fast_path(number, magnitude)) {
        magnitude = slow_path(number);
    }
    return number.negative ? -magnitude : magnitude;
}

}  // namespace kestrion
