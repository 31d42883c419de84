// The back ends side by side: every candidate against the reference (the
// x87 unit where it exists, else MPFR) must give the same bits for every
// operation and store, and the same fields for every cycle.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "compiler.h"
#include "extended.h"
#include "mpfr_extended.h"
#include "share_computation.h"

namespace kestrion {
namespace {

#if KESTRION_LONG_DOUBLE_IS_X87
using Reference = NativeExtended;
using Candidates = ::testing::Types<SoftExtended, MpfrExtended>;
#else
using Reference = MpfrExtended;
using Candidates = ::testing::Types<SoftExtended>;
#endif
// Each candidate named in its tests' names: AgainstReference/soft.…
struct CandidateName {
    template <class Candidate>
    static std::string GetName(int) {
        return std::is_same_v<Candidate, SoftExtended> ? "soft" : "mpfr";
    }
};

uint32_t float_bits(float f) { return std::isnan(f) ? 0x7fc00000u : kestrion::bit_cast<uint32_t>(f); }
uint64_t double_bits(double d) { return std::isnan(d) ? 0x7ff8000000000000u : kestrion::bit_cast<uint64_t>(d); }

// Equal encodings, or both NaN (whose payloads the back ends do not share).
bool same(X87Encoding a, X87Encoding b) { return a == b || (a.is_nan() && b.is_nan()); }

std::string show(X87Encoding e) {
    char text[40];
    std::snprintf(text, sizeof text, "%04x:%016llx", e.sign_exponent, static_cast<unsigned long long>(e.significand));
    return text;
}

// Operands built to meet the hard cases: any class of value at any
// exponent, near-cancellation, exact midpoints in every operation, results
// at the edges of overflow and underflow, and stores at their midpoints.
class OperandMaker {
public:
    explicit OperandMaker(uint64_t seed) : random_(seed) {}

    // A canonical encoding: the integer bit set exactly for normal numbers.
    X87Encoding make(bool negative, int32_t biased, uint64_t significand) {
        if (biased <= 0 || biased >= kX87MaxExponent) return {sign(negative), 0};  // out of range: zero
        return {static_cast<uint16_t>(sign(negative) | biased), significand | kX87IntegerBit};
    }

    X87Encoding any() {
        const bool negative = coin();
        switch (random_() % 16) {
            case 0: return {sign(negative), 0};
            case 1: return {static_cast<uint16_t>(sign(negative) | kX87MaxExponent), kX87IntegerBit};
            case 2: return {static_cast<uint16_t>(sign(negative) | kX87MaxExponent), kX87IntegerBit | (random_() >> 1) | 1};
            case 3:
            case 4: return {sign(negative), random_() >> (1 + random_() % 63)};  // subnormal
            case 5:
            case 6: return make(negative, kX87Bias + below(2200) - 1100, significand());  // double's range
            case 7:
            case 8: return make(negative, kX87Bias + below(300) - 150, significand());  // single's range
            default: return make(negative, 1 + below(kX87MaxExponent - 1), significand());
        }
    }

    // A pair for operation `op` (0 +, 1 -, 2 ×, 3 ÷) shaped one of several hard ways.
    std::pair<X87Encoding, X87Encoding> pair(int op) {
        const X87Encoding a = any();
        switch (random_() % 8) {
            case 0: {  // near-cancellation: b is a with its low bits changed
                X87Encoding b = a;
                b.significand ^= random_() >> (random_() % 64);
                if ((b.sign_exponent & kX87MaxExponent) != 0) {
                    b.significand |= kX87IntegerBit;
                } else {
                    b.significand &= ~kX87IntegerBit;
                }
                if (coin()) b.sign_exponent ^= 0x8000;
                return {a, b};
            }
            case 1: return {a, any()};
            case 2: return tie(op);
            case 3: return edge(op);
            default: {  // both moderate, over a few binades of each other
                const int32_t e = kX87Bias + below(40000) - 20000;
                return {make(coin(), e / 2 + kX87Bias / 2, significand()),
                        make(coin(), e / 2 + kX87Bias / 2 + below(140) - 70, significand())};
            }
        }
    }

    // A value whose store to single (or double) is a midpoint, or a hair off one.
    X87Encoding store_midpoint(bool single) {
        const int precision = single ? 24 : 53;
        const int32_t least_normal = single ? -126 : -1022;
        const int32_t leading = least_normal - precision - 2 + below((single ? 127 : 1023) - least_normal + precision + 4);
        const int keep = precision - (leading < least_normal ? least_normal - leading : 0);
        if (keep < 0) return make(coin(), leading + kX87Bias, significand());
        uint64_t m = keep == 0 ? 0 : (significand() >> (64 - keep)) << (64 - keep);
        m |= kX87IntegerBit >> keep;  // the half of the last kept place
        const int hair = static_cast<int>(random_() % 3) - 1;
        m += static_cast<uint64_t>(hair);
        return make(coin(), leading + kX87Bias, m);
    }

private:
    static uint16_t sign(bool negative) { return negative ? 0x8000 : 0; }
    bool coin() { return (random_() & 1) != 0; }
    int32_t below(int32_t n) { return static_cast<int32_t>(random_() % static_cast<uint64_t>(n)); }
    uint64_t significand() {  // random bits, or few of them
        const uint64_t bits = random_();
        return coin() ? bits : bits & ~((uint64_t{1} << below(64)) - 1);
    }

    // Exact results exactly halfway between two extended numbers.
    std::pair<X87Encoding, X87Encoding> tie(int op) {
        const int32_t e = 1 + below(kX87MaxExponent - 1);
        switch (op) {
            case 0:
            case 1: {  // a plus or minus half its last place, or an odd multiple of it
                const X87Encoding a = make(coin(), e, significand());
                const uint64_t odd = coin() ? 1 : (random_() >> 40) | 1;
                return {a, make(coin(), e - 64 - (63 - std::bit_width(odd) + 1), odd << (64 - std::bit_width(odd)))};
            }
            case 2: {  // (2^63 + u 2^31)(2^63 + v 2^31) with u, v odd: the last bit is a half
                const uint64_t u = (random_() >> 34) | 1, v = (random_() >> 34) | 1;
                const int32_t ea = e, eb = kX87Bias - (e - kX87Bias) + below(200) - 100;
                return {make(coin(), ea, (u << 31)), make(coin(), eb, (v << 31))};
            }
            default: {  // a quotient that falls among the subnormals, k bits dropped, the last a half
                const int k = 1 + below(63);
                uint64_t m = (significand() >> k) << k;
                m = (m & ~((uint64_t{1} << k) - 1)) | (uint64_t{1} << (k - 1));
                const int32_t ea = 1 + below(200);
                // quotient = m 2^(ea - eb - 63); its bit k should be worth 2^-16445.
                const int32_t eb = ea - 63 + k + 16445;
                return {make(coin(), ea, m), make(coin(), eb, 0)};
            }
        }
    }

    // Results at the top and bottom of the exponent range.
    std::pair<X87Encoding, X87Encoding> edge(int op) {
        const int32_t top = kX87MaxExponent - 1 - below(3);
        const int32_t bottom = 1 + below(3);
        if (coin()) return coin() ? carry_into_the_normals(op) : carry_out_of_the_top(op);
        switch (op) {
            case 0:
            case 1: return coin() ? std::pair{make(coin(), top, significand()), make(coin(), top - below(3), significand())}
                                  : std::pair{X87Encoding{sign(coin()), random_() >> (1 + below(4))},
                                              make(coin(), bottom, significand())};
            case 2: {  // an edge value times one within a few binades of 1
                const int32_t e = coin() ? top : bottom;
                return {make(coin(), e, significand()), make(coin(), kX87Bias + below(5) - 2, significand())};
            }
            default: {  // a value near 1 over one at an edge: the quotient lands at the other edge
                const int32_t e = coin() ? top - 2 + below(3) : bottom;
                return {make(coin(), kX87Bias + below(3) - 1, significand()), make(coin(), e, significand())};
            }
        }
    }

    // Results just under the least normal number, 2^-16382, so that rounding
    // carries them into it, or ties there.
    std::pair<X87Encoding, X87Encoding> carry_into_the_normals(int op) {
        const bool negative = coin();
        const int32_t e = 1 + below(3);
        const uint64_t ones = ~uint64_t{0} - static_cast<uint64_t>(below(3));
        switch (op) {
            case 0:
            case 1: {
                const X87Encoding a{sign(negative), (kX87IntegerBit - 1) - static_cast<uint64_t>(below(4))};
                const X87Encoding b{sign(negative != (op == 1)), 1 + static_cast<uint64_t>(below(8))};
                return {a, b};
            }
            case 2: return {make(negative, e, ones), make(coin(), kX87Bias - e, 0)};  // times 2^-e
            default: return {make(negative, e, ones), make(coin(), kX87Bias + e, 0)};  // over 2^e
        }
    }

    // Results at the largest finite number that round up, or tie, to infinity.
    std::pair<X87Encoding, X87Encoding> carry_out_of_the_top(int op) {
        const bool negative = coin();
        const int32_t top = kX87MaxExponent - 1;
        const uint64_t ones = ~uint64_t{0} - static_cast<uint64_t>(below(2));
        switch (op) {
            case 0:
            case 1: {  // plus half its last place, or a little more
                const uint64_t half = coin() ? 0 : static_cast<uint64_t>(below(4));
                return {make(negative, top, ones), make(negative != (op == 1), top - 64, half)};
            }
            case 2: return {make(negative, top - 1, ones), make(coin(), kX87Bias + 1, static_cast<uint64_t>(below(3)))};
            default: return {make(negative, top, ones), make(coin(), kX87Bias - 1, ~uint64_t{0})};  // over 1 - 2^-64
        }
    }

    std::mt19937_64 random_;
};

template <class Ext>
X87Encoding apply(int op, X87Encoding a, X87Encoding b) {
    const Ext x = Ext::from_encoding(a), y = Ext::from_encoding(b);
    switch (op) {
        case 0: return (x + y).encoding();
        case 1: return (x - y).encoding();
        case 2: return (x * y).encoding();
        default: return (x / y).encoding();
    }
}

template <class Candidate>
void expect_every_operation_rounds_the_same(int scale) {
    OperandMaker maker(20261208);
    const int count = (std::is_same_v<Candidate, SoftExtended> ? 400'000 : 100'000) * scale;
    for (int i = 0; i < count; ++i) {
        for (int op = 0; op < 4; ++op) {
            const auto [a, b] = maker.pair(op);
            const X87Encoding want = apply<Reference>(op, a, b), got = apply<Candidate>(op, a, b);
            ASSERT_TRUE(same(want, got)) << show(a) << " op" << op << " " << show(b) << ": want " << show(want)
                                         << ", got " << show(got);
            const Reference rx = Reference::from_encoding(a), ry = Reference::from_encoding(b);
            const Candidate cx = Candidate::from_encoding(a), cy = Candidate::from_encoding(b);
            ASSERT_EQ(rx >= ry, cx >= cy) << show(a) << " >= " << show(b);
            ASSERT_EQ(rx <= ry, cx <= cy) << show(a) << " <= " << show(b);
            const Reference r = Reference::from_encoding(want);
            const Candidate c = Candidate::from_encoding(want);
            ASSERT_EQ(float_bits(r.to_float()), float_bits(c.to_float())) << show(want);
            ASSERT_EQ(double_bits(r.to_double()), double_bits(c.to_double())) << show(want);
        }
    }
}

template <class Candidate>
void expect_stores_round_once_at_their_midpoints(int scale) {
    OperandMaker maker(7);
    // First the largest single's and double's midpoints to infinity, and a
    // hair either side: all ones in the kept bits, so that rounding up
    // carries out of the format.
    std::vector<X87Encoding> edges;
    for (const auto& [precision, top] : {std::pair{24, 127}, std::pair{53, 1023}}) {
        const uint64_t ones = (~uint64_t{0} >> (64 - precision)) << (64 - precision);
        for (const uint64_t hair : {~uint64_t{0}, uint64_t{0}, uint64_t{1}}) {
            edges.push_back(maker.make(hair == 0, top + kX87Bias, ones + (kX87IntegerBit >> precision) + hair));
        }
    }
    for (int i = 0; i < 100'000 * scale; ++i) {
        const X87Encoding x = static_cast<size_t>(i) < edges.size() ? edges[static_cast<size_t>(i)] : maker.store_midpoint(i % 2 == 0);
        const Reference r = Reference::from_encoding(x);
        const Candidate c = Candidate::from_encoding(x);
        ASSERT_EQ(float_bits(r.to_float()), float_bits(c.to_float())) << show(x);
        ASSERT_EQ(double_bits(r.to_double()), double_bits(c.to_double())) << show(x);
        // A store whose value is read straight back: the field, and the value back.
        float single = 0;
        double wide = 0;
        ASSERT_TRUE(same(Reference(r.to_float()).encoding(), store(single, c).encoding())) << show(x);
        ASSERT_EQ(float_bits(single), float_bits(r.to_float())) << show(x);
        ASSERT_TRUE(same(Reference(r.to_double()).encoding(), store(wide, c).encoding())) << show(x);
        ASSERT_EQ(double_bits(wide), double_bits(r.to_double())) << show(x);
    }
}

template <class Candidate>
void expect_singles_and_doubles_widen_exactly(int scale) {
    std::mt19937_64 random(3);
    for (int i = 0; i < 100'000 * scale; ++i) {
        const uint64_t bits = random();
        const float f = kestrion::bit_cast<float>(static_cast<uint32_t>(bits));
        const double d = kestrion::bit_cast<double>(bits);
        ASSERT_TRUE(same(Reference(f).encoding(), Candidate(f).encoding())) << std::hex << bits;
        ASSERT_TRUE(same(Reference(d).encoding(), Candidate(d).encoding())) << std::hex << bits;
    }
}

// The exponent's split into two doubles, t_hi + t_lo, against the plain
// rule on the reference: t rounded to double, and t less that, rounded.
// Values whose 11 bits below a double's are a tie, a hair either side of
// one, or anything, with either parity of the double's last bit, over the
// whole range, most near the edges of the straight route (the residual's
// least normal place, the largest binades).
template <class Candidate>
void expect_splits_as_the_subtraction_does(int scale) {
    std::mt19937_64 random(17);
    OperandMaker maker(5);
    const int32_t least = kX87LowBitOffset - 1022;
    for (int i = 0; i < 100'000 * scale; ++i) {
        X87Encoding e = maker.any();
        if (i % 2 == 0) {
            const int32_t edge = i % 8 == 0 ? least : i % 8 == 2 ? kX87Bias + 1023 : e.biased_exponent();
            const int32_t biased = edge + static_cast<int32_t>(random() % 5) - 2;
            const uint64_t low = (i % 3 == 0 ? 0x400 : random() & 0x7ff) + (i % 5 == 0 ? random() % 3 - 1 : 0);
            e = maker.make(e.negative(), biased, (random() & ~uint64_t{0x7ff}) | (low & 0x7ff));
        }
        const Reference r = Reference::from_encoding(e);
        const double want_hi = r.to_double(), want_lo = (r - Reference(want_hi)).to_double();
        double hi = 0, lo = 0;
        split_to_doubles(Candidate::from_encoding(e), hi, lo);
        ASSERT_EQ(double_bits(hi), double_bits(want_hi)) << show(e);
        if (std::isfinite(want_hi)) {
            ASSERT_EQ(double_bits(lo), double_bits(want_lo)) << show(e);
        }
    }
}

class CountingSink final : public ErrorLineSink {
public:
    void write_error_line(std::string_view) noexcept override { ++lines; }
    int lines = 0;
};

// The stored exponential factor, on exponents y of every size, and on y
// built so that e^(y·ln base) falls next to a single midpoint.
template <class Candidate>
void expect_stored_factors_agree(int scale) {
    std::mt19937_64 random(11);
    const double ln_base = std::log(ShareConstants<Reference>::kExpBase);
    int overflow_lines = 0;
    for (int i = 0; i < 100'000 * scale; ++i) {
        double y = std::ldexp(static_cast<double>(random() >> 11) - 0x1p52, static_cast<int>(random() % 64) - 80);
        if (i % 2) {
            const float low = kestrion::bit_cast<float>(static_cast<uint32_t>(random() % 0x7f7fffffu) + 1);
            y = std::log((static_cast<double>(low) + static_cast<double>(std::nextafter(low, INFINITY))) / 2) / ln_base;
        }
        CountingSink reference_errors, candidate_errors;
        const PowerExponent re = power_exponent(Reference(ShareConstants<Reference>::get().log_base), Reference(y));
        const PowerExponent ce = power_exponent(Candidate(ShareConstants<Candidate>::get().log_base), Candidate(y));
        write_overflow_line(re, reference_errors);
        write_overflow_line(ce, candidate_errors);
        const float r = stored_power(re), c = stored_power(ce);
        ASSERT_EQ(float_bits(r), float_bits(c)) << std::hexfloat << y;
        ASSERT_EQ(reference_errors.lines, candidate_errors.lines) << std::hexfloat << y;
        overflow_lines += reference_errors.lines;
    }
    EXPECT_GT(overflow_lines, 500 * scale);
}

float typical(std::mt19937_64& random, float low, float high) {
    return low + (high - low) * static_cast<float>(random() % 1'000'000) / 1e6f;
}

float wide(std::mt19937_64& random, double low_exp10, double high_exp10) {
    const double e = low_exp10 + (high_exp10 - low_exp10) * static_cast<double>(random() % 1'000'000) / 1e6;
    return static_cast<float>(std::pow(10.0, e));
}

float any_float(std::mt19937_64& random) { return kestrion::bit_cast<float>(static_cast<uint32_t>(random())); }

// A temperature whose exponent t lies within a few parts in 10^7 of the
// overflow line at this wavelength.
float near_overflow(std::mt19937_64& random, float wavelength_angstrom) {
    const double lambda = static_cast<double>(wavelength_angstrom) * 1e-10;
    const double at_line = 6.626176e-34 * 299792458 / lambda / 1.380662e-23 / kPowerLimit;
    const double nudge = 1 + (static_cast<double>(random() % 2001) - 1000) * 1e-9;
    return static_cast<float>(at_line * nudge);
}

StarPairValues generate(std::mt19937_64& random, int kind) {
    StarPairValues v;
    switch (kind) {
        case 0:  // typical stars
            v = {typical(random, 0.05f, 1), typical(random, 0.05f, 1), typical(random, 2500, 40000),
                 typical(random, 2500, 40000), typical(random, 3000, 10000)};
            break;
        case 1:  // wide ranges
            v = {wide(random, -6, 2), wide(random, -6, 2), wide(random, 0, 7), wide(random, 0, 7), wide(random, 1, 9)};
            break;
        case 2:  // any bits at all: infinities, NaNs, subnormals, negatives
            v = {any_float(random), any_float(random), any_float(random), any_float(random), any_float(random)};
            break;
        case 3: {  // on either side of the overflow line, and between 88.7 and it
            const float w = typical(random, 100, 50000);
            v = {typical(random, 0.1f, 1), typical(random, 0.1f, 1), near_overflow(random, w),
                 random() % 2 ? near_overflow(random, w) : near_overflow(random, w) * 8.0f, w};
            break;
        }
        default: {  // zeros, signs and extremes mixed into typical pairs
            const float specials[] = {0.0f, -0.0f, -1.0f, 1e-40f, -5800.0f, 3e38f, 1e-30f, 9.0f, 5.2e17f};
            v = {typical(random, 0.05f, 1), typical(random, 0.05f, 1), typical(random, 2500, 40000),
                 typical(random, 2500, 40000), typical(random, 3000, 10000)};
            float* fields[] = {&v.star1_radius, &v.star2_radius, &v.star1_temperature, &v.star2_temperature,
                               &v.wavelength_angstrom};
            *fields[random() % 5] = specials[random() % 9];
            if (random() % 2) *fields[random() % 5] = -*fields[random() % 5];
        }
    }
    return v;
}

template <class Candidate>
void expect_generated_cycles_store_identical_fields(int scale) {
    const int kCycles = 100'000 * scale;
    std::mt19937_64 random(7);
    int overflow_lines = 0;
    for (int i = 0; i < kCycles; ++i) {
        StarPairValues reference = generate(random, i % 5);
        StarPairValues candidate = reference;
        CountingSink reference_errors, candidate_errors;
        compute_shares_with<Reference>(reference, reference_errors);
        compute_shares_with<Candidate>(candidate, candidate_errors);
        ASSERT_EQ(reference_errors.lines, candidate_errors.lines) << "cycle " << i;
        overflow_lines += reference_errors.lines;
        const auto* a = reinterpret_cast<const float*>(&reference);
        const auto* b = reinterpret_cast<const float*>(&candidate);
        for (size_t f = 0; f < sizeof(StarPairValues) / sizeof(float); ++f) {
            ASSERT_EQ(float_bits(a[f]), float_bits(b[f])) << "cycle " << i << " field " << f;
        }
    }
    EXPECT_GT(overflow_lines, kCycles / 20);  // the overflow cases were reached
}

template <class Candidate>
class AgainstReference : public ::testing::Test {};
TYPED_TEST_SUITE(AgainstReference, Candidates, CandidateName);

TYPED_TEST(AgainstReference, EveryOperationRoundsTheSame) { expect_every_operation_rounds_the_same<TypeParam>(1); }
TYPED_TEST(AgainstReference, StoresRoundOnceAtTheirMidpoints) { expect_stores_round_once_at_their_midpoints<TypeParam>(1); }
TYPED_TEST(AgainstReference, SinglesAndDoublesWidenExactly) { expect_singles_and_doubles_widen_exactly<TypeParam>(1); }
TYPED_TEST(AgainstReference, StoredFactorsAgree) { expect_stored_factors_agree<TypeParam>(1); }
TYPED_TEST(AgainstReference, SplitsToDoublesAsTheSubtractionDoes) { expect_splits_as_the_subtraction_does<TypeParam>(1); }
TYPED_TEST(AgainstReference, GeneratedCyclesStoreIdenticalFields) {
    expect_generated_cycles_store_identical_fields<TypeParam>(1);
}

// The same at 25 times the size, for the long run.
template <class Candidate>
class AgainstReferenceSweep : public ::testing::Test {};
TYPED_TEST_SUITE(AgainstReferenceSweep, Candidates, CandidateName);

TYPED_TEST(AgainstReferenceSweep, EveryOperationRoundsTheSame) { expect_every_operation_rounds_the_same<TypeParam>(25); }
TYPED_TEST(AgainstReferenceSweep, StoresRoundOnceAtTheirMidpoints) {
    expect_stores_round_once_at_their_midpoints<TypeParam>(25);
}
TYPED_TEST(AgainstReferenceSweep, StoredFactorsAgree) { expect_stored_factors_agree<TypeParam>(25); }
TYPED_TEST(AgainstReferenceSweep, GeneratedCyclesStoreIdenticalFields) {
    expect_generated_cycles_store_identical_fields<TypeParam>(25);
}

}  // namespace
}  // namespace kestrion
