#include "number_format.h"

#include <cassert>
#include <cstdint>
#include <cstring>

#include "big_integer.h"
#include "compiler.h"
#include "ieee_format.h"

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

// Nine digits, leading zeros included.
char* write_nine(uint32_t n, char* out) {
    *out++ = static_cast<char>('0' + n / 100'000'000);
    out = write_two(n / 1'000'000 % 100, out);
    return write_micro(n % 1'000'000, out);
}

// A whole value m · 2^shift (m < 2^24, shift <= 104, so below 2^128, which
// has 39 digits: five groups of nine), as "%f" prints it: its digits and
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
        while (!whole.is_zero()) groups[count++] = whole.divide_by_limb(1'000'000'000);
        out = write_unsigned(groups[--count], out);
        while (count > 0) out = write_nine(groups[--count], out);
    }
    std::memcpy(out, ".000000", 7);
    return out + 7;
}

// The values the usual path below leaves out: whole ones (k < 1), and
// those under 2^24 · 2^-45 = 2^-21 (k > 44), below 0.48 millionths, which
// print as zero.
KESTRION_RARE char* format_whole_or_tiny(uint64_t m, int k, char* out) {
    if (k < 1) return format_whole(m, -k, out);
    std::memcpy(out, "0.000000", 8);
    return out + 8;
}

}  // namespace

// The usual path, in integers from the single's own bits: value = m · 2^-k
// with m < 2^24, so the whole part is m >> k and the fraction f = m mod 2^k
// over 2^k. Its six decimals are f · 10^6 / 2^k rounded to nearest, ties to
// even, which for k <= 44 is exact in 64 bits (f · 10^6 < 2^(k + 20)); a
// round up to 10^6 carries into the whole part. The six decimals take no
// branch; the whole part's length takes one loop step a digit.
char* format_fixed6(float value, char* out) {
    using L = SingleLayout;
    const auto bits = kestrion::bit_cast<uint32_t>(value);
    const uint64_t field = L::field(bits);
    const uint64_t fraction = L::fraction(bits);
    if (field == L::kExponentMask && fraction != 0) {
        std::memcpy(out, "nan", 3);
        return out + 3;
    }
    if (L::negative(bits)) *out++ = '-';
    if (field == L::kExponentMask) {
        std::memcpy(out, "inf", 3);
        return out + 3;
    }
    // value = m · 2^-k, subnormals included
    const uint64_t m = field == 0 ? fraction : fraction | L::kHiddenBit;
    const int k = L::kLowBitOffset - static_cast<int>(field == 0 ? 1 : field);
    if (k < 1 || k > 44) [[unlikely]] return format_whole_or_tiny(m, k, out);

    const uint64_t low_mask = (uint64_t{1} << k) - 1;
    const uint64_t product = (m & low_mask) * 1000000;
    uint64_t micro = product >> k;
    // rest is 0 where half is 1: 10^6 is even.
    micro += rounds_up(micro, product & low_mask, uint64_t{1} << (k - 1));
    const uint64_t carry = micro == 1000000 ? 1 : 0;
    out = write_unsigned((m >> k) + carry, out);
    *out++ = '.';
    return write_micro(static_cast<unsigned>(micro - carry * 1000000), out);
}

}  // namespace kestrion
