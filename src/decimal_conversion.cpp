#include "decimal_conversion.h"

#include <charconv>
#include <limits>

#include "arithmetic_platform.h"

namespace kestrion {
namespace {

// Past these the value is certainly infinite (>= 10^309) or rounds to zero
// (< 10^-330, under half the least subnormal double).
constexpr int64_t kOverflowExponent = 310;
constexpr int64_t kUnderflowExponent = -330;

constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

constexpr uint64_t kLargestExactInteger = uint64_t{1} << 53;

}  // namespace

// Clinger's fast path: w up to 2^53 and 10^|scale| up to 10^22 are both
// exact doubles, so the one multiplication or division that joins them is
// the only rounding, and IEEE arithmetic makes it correct. That needs
// double arithmetic that is really double (FLT_EVAL_METHOD 0).
static_assert(KESTRION_DOUBLE_MATH_IS_DOUBLE, "the exact path counts on one rounding per double operation");

bool exact_decimal(uint64_t w, int64_t scale, double& result) {
    if (w > kLargestExactInteger || scale < -22 || scale > 22) return false;
    const double m = static_cast<double>(w);
    result = scale < 0 ? m / kExactPowersOfTen[-scale] : m * kExactPowersOfTen[scale];
    return true;
}

// What this trusts of std::from_chars: that it rounds correctly to nearest
// even, and reports result_out_of_range only where the correctly rounded
// value overflows or is zero, leaving `value` alone. A subnormal double
// result, which some libraries also report as out of range, is not at
// stake: it stores to a signed zero in single anyway, as the 0 written then does.
double literal_to_double(const char* begin, const char* end, int64_t leading_exponent) {
    double value = 0;
    if (std::from_chars(begin, end, value).ec == std::errc::result_out_of_range) {
        value = leading_exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return value;
}

double to_double(const DecimalNumber& number) {
    // value = 0.d1d2…dn × 10^exponent
    double magnitude = 0;
    if (number.digit_count == 0 || number.exponent < kUnderflowExponent) {
        magnitude = 0;
    } else if (number.exponent > kOverflowExponent) {
        magnitude = std::numeric_limits<double>::infinity();
    } else {
        uint64_t w = 0;
        const bool short_enough = number.digit_count <= 19 && !number.dropped_nonzero;
        for (int i = 0; short_enough && i < number.digit_count; ++i) {
            w = w * 10 + static_cast<uint64_t>(number.digits[i] - '0');
        }
        if (!short_enough || !exact_decimal(w, number.exponent - number.digit_count, magnitude)) {
            // "0.<digits>[1]e<exponent>": a dropped nonzero tail becomes one
            // trailing 1, which sits on the same side of every midpoint as
            // the tail itself.
            char text[DecimalNumber::kMaxDigits + 32];
            char* p = text;
            *p++ = '0';
            *p++ = '.';
            for (int i = 0; i < number.digit_count; ++i) *p++ = number.digits[i];
            if (number.dropped_nonzero) *p++ = '1';
            *p++ = 'e';
            p = std::to_chars(p, text + sizeof text, number.exponent).ptr;
            magnitude = literal_to_double(text, p, number.exponent - 1);
        }
    }
    return number.negative ? -magnitude : magnitude;
}

}  // namespace kestrion
