// The conversion of a scanned decimal to double: the table of powers of ten
// the product route multiplies by, and the exact conversion, called
// directly, on literals of every length and range and on the exact
// midpoints between doubles, against MPFR's correctly rounded reading.
#include "decimal_to_double.h"

#include <gtest/gtest.h>
#include <mpfr.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>

#include "compiler.h"
#include "decimal_reference.h"

namespace kestrion {
namespace {

using testing::reference_to_double;

// 10^s at 512 bits is exact for s >= 0 (10^80 < 2^266) and within 2^-448
// of it in the table's units for s < 0, where 2^-e / 10^-s lies at least
// 5^-80 > 2^-186 from an integer: so its floor is the entry.
TEST(PowersOfTen, EachEntryIsThePowerTruncatedTo64Bits) {
    mpfr_t power;
    mpfr_init2(power, 512);
    for (int s = -kTableScale; s <= kTableScale; ++s) {
        const PowerOfTen& p = kTruncatedPowersOfTen.power[s + kTableScale];
        mpfr_set_ui(power, 10, MPFR_RNDN);
        mpfr_pow_si(power, power, s, MPFR_RNDN);
        mpfr_mul_2si(power, power, -p.exponent, MPFR_RNDN);
        mpfr_rint_floor(power, power, MPFR_RNDN);
        char want[32];
        mpfr_snprintf(want, sizeof want, "%.0Rf", power);
        EXPECT_EQ(std::to_string(p.significand), want) << "10^" << s;
    }
    mpfr_clear(power);
}

// The literal 0.DIGITS × 10^(leading + 1), for MPFR.
std::string as_literal(const std::string& digits, int64_t leading) {
    return "0." + digits + "e" + std::to_string(leading + 1);
}

void expect_exact_matches(const std::string& digits, int64_t leading, bool dropped_nonzero = false) {
    const double got = exact_to_double(digits, dropped_nonzero, leading);
    const std::string literal = as_literal(digits + (dropped_nonzero ? std::string(900, '0') + "1" : ""), leading);
    ASSERT_EQ(kestrion::bit_cast<uint64_t>(got), kestrion::bit_cast<uint64_t>(reference_to_double(literal)))
        << literal.substr(0, 120) << (dropped_nonzero ? " (dropped tail)" : "");
}

// Lengths from one digit to past the 800 kept; scales from the underflow
// to the overflow edge; some digits as typed, with leading zeros and a point.
TEST(ExactConversion, MatchesTheReferenceOnLiteralsOfEveryLength) {
    std::mt19937_64 random(2112);
    for (int i = 0; i < 20'000; ++i) {
        const uint64_t shape = random() % 4;
        const int count = 1 + static_cast<int>(shape == 0 ? random() % 20 : shape == 1 ? random() % 120 : random() % 900);
        std::string digits(1, static_cast<char>('1' + random() % 9));
        const char run = static_cast<char>('0' + random() % 10);  // long runs of one digit, now and then
        while (static_cast<int>(digits.size()) < count) {
            digits += random() % 4 == 0 ? static_cast<char>('0' + random() % 10) : run;
        }
        const int64_t leading = kUnderflowLeading + static_cast<int64_t>(random() % (kOverflowLeading - kUnderflowLeading + 1));
        if (i % 10 == 0) {
            const std::string typed = std::string(random() % 5, '0') + "." + std::string(random() % 5, '0') + digits;
            ASSERT_EQ(kestrion::bit_cast<uint64_t>(exact_to_double(typed, false, leading)),
                      kestrion::bit_cast<uint64_t>(reference_to_double(as_literal(digits, leading))))
                << typed.substr(0, 60);
        }
        expect_exact_matches(digits, leading, random() % 8 == 0);
    }
}

// The exact decimal digits of x (a binary fraction, so they end) and the
// decimal exponent of the first.
std::string exact_digits(mpfr_t x, int64_t& leading) {
    char text[kMaxSignificantDigits + 8];
    mpfr_exp_t exponent;
    mpfr_get_str(text, &exponent, 10, kMaxSignificantDigits, x, MPFR_RNDN);  // exact: at most 768 digits
    std::string digits = text;
    digits.erase(digits.find_last_not_of('0') + 1);
    leading = exponent - 1;
    return digits;
}

// A midpoint between neighbouring doubles, written out in full with up to
// 768 digits (the longest, (2^54 - 1) · 2^-1075, lies just below 2^-1021), rounds to the even one; a nonzero digit after it, however
// far (past the kept digits included), rounds up; one less in its last
// digit, with nines after, rounds down. Doubles of every binade, the
// subnormals and the largest among them, and the edges: the midpoint above
// the largest double, which rounds to infinity, and half the least
// subnormal, which rounds to zero.
TEST(ExactConversion, RoundsExactMidpointsAndTheirNeighbours) {
    std::mt19937_64 random(77);
    mpfr_t midpoint, half;
    mpfr_init2(midpoint, 64);
    mpfr_init2(half, 64);
    const auto check = [&](double low) {
        int binade;
        std::frexp(low, &binade);
        mpfr_set_ui_2exp(half, 1, low < DBL_MIN ? -1075 : binade - 54, MPFR_RNDN);  // half low's last place
        mpfr_set_d(midpoint, low, MPFR_RNDN);
        mpfr_add(midpoint, midpoint, half, MPFR_RNDN);  // exact
        int64_t leading;
        const std::string digits = exact_digits(midpoint, leading);
        expect_exact_matches(digits, leading);
        expect_exact_matches(digits + "0000001", leading);
        expect_exact_matches(digits + std::string(kMaxSignificantDigits - digits.size(), '0'), leading, true);
        std::string below = digits;
        --below.back();  // the last digit written is not 0
        if (below[0] == '0') {
            below.erase(0, 1);
            --leading;
        }
        expect_exact_matches(below + "999999", leading);
    };
    for (int i = 0; i < 5'000; ++i) {
        const uint64_t bits = random() >> 1;
        const double low = kestrion::bit_cast<double>(i % 4 == 0 ? bits >> (random() % 12 + 11) : bits);  // subnormals too
        if (std::isfinite(low)) check(low);
    }
    for (double low : {DBL_MAX, std::nextafter(DBL_MAX, 0.0), DBL_MIN, std::nextafter(DBL_MIN, 0.0), 0.0, 0x1p-1074,
                       0x1p-1073, std::nextafter(0x1p-1021, 0.0), 1.0, 0x1p53, 0x1p64}) {
        check(low);
    }
    mpfr_clear(midpoint);
    mpfr_clear(half);
}

}  // namespace
}  // namespace kestrion
