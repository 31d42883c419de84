#include "number_format.h"

#include <bit>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "arithmetic_platform.h"
#include "big_integer.h"
#include "compiler.h"
#include "decimal_words.h"
#include "ieee_format.h"
#include "text_words.h"

namespace kestrion {
namespace {

// The last `count` of n's eight digits (n < 10^8, count from 1 to 8),
// leading zeros dropped by a shift; eight bytes are stored at out.
KESTRION_INLINE char* write_digits(uint64_t n, int count, char* out) {
    assert(count >= 1 && count <= 8);
    words::store(out, eight_digits(n) >> (8 * (8 - count)));
    return out + count;
}

// The `width` (4 or 8) ASCII digits in the low bytes of `digits`, their
// leading zeros dropped by a shift: with the '0's cleared, the lowest set
// bit is in the first other digit, and a guard bit at the top of the last
// digit stops the count there, so one digit is always written. Eight
// bytes are stored at out.
KESTRION_INLINE char* write_without_leading_zeros(uint64_t digits, int width, char* out) {
    assert(width == 4 || width == 8);
    const int zeros = std::countr_zero((digits ^ words::every_byte('0')) | (uint64_t{1} << (8 * width - 1))) / 8;
    words::store(out, digits >> (8 * zeros));
    return out + width - zeros;
}

// n's decimal digits, eight at a time from the first.
char* write_unsigned(uint64_t n, char* out) {
    if (n >= kPowersOfTen[8]) {
        out = write_unsigned(n / kPowersOfTen[8], out);
        return write_digits(n % kPowersOfTen[8], 8, out);
    }
    return write_digits(n, n == 0 ? 1 : decimal_length(n), out);
}

// A whole value m · 2^shift (m < 2^24, shift <= 104, so below 2^128, which
// has 39 digits: five groups of eight), as "%f" prints it: its digits and
// six zeros.
char* format_whole(uint64_t m, int shift, char* out) {
    assert(m < (uint64_t{1} << 24) && shift >= 0 && shift <= 104);
    if (shift <= 40) {
        out = write_unsigned(m << shift, out);
    } else {
        BigInteger<4> whole(m);
        whole.shift_left(shift);
        uint32_t groups[5];
        int count = 0;
        while (!whole.is_zero()) groups[count++] = whole.divide_by_limb(static_cast<uint32_t>(kPowersOfTen[8]));
        out = write_unsigned(groups[--count], out);
        while (count > 0) out = write_digits(groups[--count], 8, out);
    }
    std::memcpy(out, ".000000", 7);
    return out + 7;
}

// The values the usual path below leaves out: NaN, the infinities, and
// magnitudes of 2^23 and more, all whole numbers.
KESTRION_RARE char* format_beyond_usual(uint32_t bits, char* out) {
    using L = SingleLayout;
    const uint64_t field = L::field(bits), fraction = L::fraction(bits);
    if (field == L::kExponentMask && fraction != 0) {
        std::memcpy(out, "nan", 3);
        return out + 3;
    }
    if (L::negative(bits)) *out++ = '-';
    if (field == L::kExponentMask) {
        std::memcpy(out, "inf", 3);
        return out + 3;
    }
    // value = (2^23 + fraction) · 2^(field - kLowBitOffset), with field >= kLowBitOffset
    return format_whole(fraction | L::kHiddenBit, static_cast<int>(field) - L::kLowBitOffset, out);
}

}  // namespace

static_assert(KESTRION_DOUBLE_MATH_IS_DOUBLE, "the printer's scaling is one exact double product and one rounding");

// The usual path, magnitudes below 2^23, subnormals and zeros included:
// what "%f" prints, the whole part and six decimals, is the one integer
// N = |value| · 10^6 rounded to nearest, ties to even. The product is
// exact in double precision (a single's 24 significant bits times the 14
// of 10^6 / 2^6), and adding 2^52 rounds it to a whole number, by the
// rounding to nearest that set_up_arithmetic keeps, since below 2^52 the
// sum's last place is one; the sum's bits less those of 2^52 are N, below
// 2^23 · 10^6 < 10^13.
//
// N's digits are written eight at a time, the first ones moved down past
// their leading zeros, found from the digits themselves, and the point
// goes in before the last six by a shift: they are the top six bytes of
// the last eight digits, moved up by one byte over a '.' in the lowest.
char* format_fixed6(float value, char* out) {
    const auto bits = kestrion::bit_cast<uint32_t>(value);
    constexpr uint32_t kUsualBound = 0x4b000000;  // the bits of 2^23; NaN and the infinities lie above
    static_assert(kestrion::bit_cast<uint32_t>(0x1p23f) == kUsualBound);
    if ((bits & 0x7fffffff) >= kUsualBound) [[unlikely]] return format_beyond_usual(bits, out);
    *out = '-';
    out += bits >> 31;
    constexpr double kTwoTo52 = 0x1p52;
    const double scaled = static_cast<double>(std::fabs(value)) * 1e6;
    const uint64_t n = kestrion::bit_cast<uint64_t>(scaled + kTwoTo52) - kestrion::bit_cast<uint64_t>(kTwoTo52);
    uint64_t last_eight;
    if (n < kPowersOfTen[8]) {
        // One or two whole digits, and the decimals: the first of the
        // eight digits is dropped where it is a leading zero (n < 10^7),
        // and the second, where n < 10^6, is the zero before the point.
        last_eight = eight_digits(n);
        if (n < kPowersOfTen[7]) [[likely]] {
            words::store(out, last_eight >> 8);
            out += 1;
        } else {
            words::store(out, last_eight);
            out += 2;
        }
    } else {
        // The first whole digits, their leading zeros dropped (n >= 10^8:
        // there is one digit at least, so a set bit below the last byte's
        // top), then the last two with the decimals. The first are at most
        // five (n < 10^13), and usually at most four, which take half the work.
        const uint64_t high = n / kPowersOfTen[8], low = n % kPowersOfTen[8];
        out = high < kPowersOfTen[4] ? write_without_leading_zeros(four_digits(high), 4, out)
                                     : write_without_leading_zeros(eight_digits(high), 8, out);
        last_eight = eight_digits(low);
        words::store(out, last_eight);
        out += 2;
    }
    words::store(out, '.' | ((last_eight >> 16) << 8));
    return out + 7;
}

}  // namespace kestrion
