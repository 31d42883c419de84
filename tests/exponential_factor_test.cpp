// The fast exponential factor against the exact path: on random exponents
// over the whole range, on exponents built so that e^t lies within a few
// extended steps of a single-precision rounding boundary, and on the edges.
#include "exponential_factor.h"

#include <gtest/gtest.h>
#include <mpfr.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <random>

#include "compiler.h"

namespace kestrion {
namespace {

struct Exponent {
    double hi, lo;
};

// An MPFR value of at most 64 bits as the computation hands t over.
Exponent split(mpfr_srcptr t) {
    mpfr_t rest;
    mpfr_init2(rest, 64);
    const double hi = mpfr_get_d(t, MPFR_RNDN);
    mpfr_sub_d(rest, t, hi, MPFR_RNDN);
    const double lo = mpfr_get_d(rest, MPFR_RNDN);
    mpfr_clear(rest);
    return {hi, lo};
}

uint32_t bits(float f) { return std::isnan(f) ? 0x7fc00000u : kestrion::bit_cast<uint32_t>(f); }

void expect_fast_agrees(Exponent t) {
    ASSERT_EQ(bits(exponential_factor(t.hi, t.lo)), bits(exact_exponential_factor(t.hi, t.lo)))
        << std::hexfloat << t.hi << " + " << t.lo;
}

// t = ln m rounded to 64 bits, for m halfway between the single `low` and
// the next one up: e^t is within |t| extended steps of m, so RN64(e^t) is
// often m itself, and the store then ties to even.
Exponent near_midpoint(float low) {
    mpfr_t m, t;
    mpfr_init2(m, 200);
    mpfr_init2(t, 64);
    mpfr_set_flt(m, low, MPFR_RNDN);
    // Above the largest single the next step is 2^128, where the store overflows.
    const double step = low == FLT_MAX ? 0x1p104 : static_cast<double>(std::nextafter(low, INFINITY)) - low;
    mpfr_add_d(m, m, step / 2, MPFR_RNDN);  // exact
    mpfr_log(t, m, MPFR_RNDN);
    const Exponent e = split(t);
    mpfr_clears(m, t, static_cast<mpfr_ptr>(nullptr));
    return e;
}

TEST(ExponentialFactor, FastPathAgreesNearEveryKindOfBoundary) {
    std::mt19937_64 random(20261208);
    int undecided = 0;
    constexpr int kCases = 30'000;
    for (int i = 0; i < kCases; ++i) {
        // Singles from 2^-149 to FLT_MAX: subnormal steps, normal midpoints,
        // and the top one, FLT_MAX's, which is the edge of overflow.
        uint32_t b = static_cast<uint32_t>(random() % 0x7f7fffffu) + 1;
        if (i % 10 == 0) b = 0x7f7fffffu - static_cast<uint32_t>(random() % 4);
        if (i % 10 == 1) b = static_cast<uint32_t>(random() % 8) + 1;
        const Exponent t = near_midpoint(kestrion::bit_cast<float>(b));
        float unused;
        if (!fast_exponential_factor(t.hi, t.lo, unused)) ++undecided;
        expect_fast_agrees(t);
    }
    // These all lie too near a boundary for the approximation to decide.
    EXPECT_EQ(undecided, kCases);
}

TEST(ExponentialFactor, FastPathAgreesOnRandomExponents) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> whole(-709.78125, 709.78125), stored(-105, 89);
    for (int i = 0; i < 200'000; ++i) {
        const double hi = i % 2 ? whole(random) : stored(random);
        // Any low part a 64-bit t can carry: up to half of hi's last place.
        const double lo = std::ldexp(static_cast<double>(static_cast<int64_t>(random()) >> 53), std::ilogb(hi) - 63);
        expect_fast_agrees({hi, lo});
    }
}

TEST(ExponentialFactor, Edges) {
    const double edges[] = {0.0, -0.0, 0x1p-64, -0x1p-64, 0x1p-1074, -1e-300, 1e-10, -1e-10,
                            // e^t at 2^128 - 2^103, where the store turns to inf
                            88.722839052068352, 88.72283905206835, 88.7228390520684, 88.72283906, 88.7228391,
                            // e^t at 2^-150 and 3 × 2^-150, the lowest subnormal midpoints
                            -103.97207708399179, -103.9720770839918, -102.87346479532368, -87.336544750553931,
                            -104.99, 88.99, -709.7812, 709.7812};
    for (double e : edges) {
        const double quarter_ulp = e == 0 ? 0x1p-1074 : std::ldexp(1.0, std::ilogb(e) - 54);
        for (double lo : {0.0, quarter_ulp, -quarter_ulp}) expect_fast_agrees({e, lo});
    }
    EXPECT_EQ(exponential_factor(0.0, 0.0), 1.0f);
    EXPECT_EQ(exponential_factor(88.8, 0.0), INFINITY);
    EXPECT_EQ(exponential_factor(-104.0, 0.0), 0.0f);
    EXPECT_EQ(exponential_factor(-103.5, 0.0), 0x1p-149f);
    EXPECT_TRUE(std::isnan(exponential_factor(NAN, NAN)));
    EXPECT_TRUE(std::isnan(exact_exponential_factor(NAN, NAN)));
}

// Where e^t lies within half an extended step of a single midpoint, RN64
// lands on the midpoint and the store ties to even, whichever side of it
// e^t lies: stored straight to single, half of these would differ.
TEST(ExponentialFactor, RoundsToSixtyFourBitsBeforeTheStore) {
    std::mt19937_64 random(3);
    int ties = 0;
    for (int i = 0; i < 20'000 && ties < 50; ++i) {
        const auto b = static_cast<uint32_t>(0x3f800000u + random() % 0x3000000u);  // 1 to 2^6
        const float low = kestrion::bit_cast<float>(b);
        const Exponent t = near_midpoint(low);
        mpfr_t x, x64;
        mpfr_init2(x, 256);
        mpfr_init2(x64, 64);
        mpfr_set_d(x, t.hi, MPFR_RNDN);
        mpfr_add_d(x, x, t.lo, MPFR_RNDN);
        mpfr_exp(x, x, MPFR_RNDN);
        mpfr_set(x64, x, MPFR_RNDN);
        const double mid = (static_cast<double>(low) + static_cast<double>(std::nextafter(low, INFINITY))) / 2;
        if (mpfr_cmp_d(x64, mid) == 0) {
            ++ties;
            const float even = (b & 1) == 0 ? low : std::nextafter(low, INFINITY);
            EXPECT_EQ(exponential_factor(t.hi, t.lo), even) << std::hexfloat << t.hi << " + " << t.lo;
        }
        mpfr_clears(x, x64, static_cast<mpfr_ptr>(nullptr));
    }
    EXPECT_GE(ties, 50);
}

}  // namespace
}  // namespace kestrion

namespace kestrion {
namespace {

// The fast path trusts the linked C library's exp to within 2^-45 of e^x
// (relative) over the exponents it passes it, (-105, 89). That is checked
// here on every platform, since it is the one part of the arithmetic that
// comes from the system: a worse exp fails loudly, with its figure, well
// before it could misround a stored factor (the bound is 2^-45; this fails
// from 2^-50, 32 times closer to the truth, where glibc's is under 2^-52).
TEST(ExponentialFactor, TheLinkedExpIsWithinTheAssumedBound) {
    std::mt19937_64 random(29);
    std::uniform_real_distribution<double> range(-105, 89);
    mpfr_t exact, error;
    mpfr_inits2(128, exact, error, static_cast<mpfr_ptr>(nullptr));
    double worst = 0, worst_at = 0;
    for (int i = 0; i < 200'000; ++i) {
        const double x = i < 1000 ? -105 + 194.0 * i / 1000 : range(random);
        mpfr_set_d(exact, x, MPFR_RNDN);
        mpfr_exp(exact, exact, MPFR_RNDN);
        mpfr_sub_d(error, exact, std::exp(x), MPFR_RNDN);
        mpfr_div(error, error, exact, MPFR_RNDN);
        const double relative = std::fabs(mpfr_get_d(error, MPFR_RNDN));
        if (relative > worst) {
            worst = relative;
            worst_at = x;
        }
    }
    mpfr_clears(exact, error, static_cast<mpfr_ptr>(nullptr));
    EXPECT_LT(worst, 0x1p-50) << "the C library's exp errs by " << worst << " (2^" << std::log2(worst)
                              << ") at " << std::hexfloat << worst_at << "; the fast path assumes at most 2^-45";
    std::printf("worst relative error of exp: 2^%.2f\n", std::log2(worst));
}

}  // namespace
}  // namespace kestrion
