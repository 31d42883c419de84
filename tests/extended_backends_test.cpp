// The hardware and the MPFR back ends side by side: the same operations must
// give the same bits, and the same cycles must store the same fields.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "extended_mpfr.h"
#include "extended_native.h"
#include "share_computation.h"

namespace kestrion {
namespace {

// An extended value's 64 significant bits, as two doubles: the rounding error
// of a 64-bit value to 53 bits is itself exact.
template <class Ext>
std::pair<uint64_t, uint64_t> split(const Ext& x) {
    const double hi = x.to_double();
    const double lo = std::isfinite(hi) ? (x - Ext(hi)).to_double() : 0.0;
    return {std::bit_cast<uint64_t>(hi), std::bit_cast<uint64_t>(lo)};
}

uint32_t float_bits(float f) { return std::isnan(f) ? 0x7fc00000u : std::bit_cast<uint32_t>(f); }
uint64_t double_bits(double d) { return std::isnan(d) ? 0x7ff8000000000000u : std::bit_cast<uint64_t>(d); }

// A double with random bits over the whole range, specials included.
double any_double(std::mt19937_64& random) { return std::bit_cast<double>(random()); }

template <class Ext>
Ext combine(int op, double a, double b) {
    const Ext x(a), y(b);
    switch (op) {
        case 0: return x + y;
        case 1: return x - y;
        case 2: return x * y;
        default: return x / y;
    }
}

TEST(ExtendedBackends, ArithmeticAndStoresAgreeBitForBit) {
    std::mt19937_64 random(20261208);
    for (int i = 0; i < 400'000; ++i) {
        double a = any_double(random), b = any_double(random);
        if (i % 4 == 1) {
            // Moderate magnitudes, whose results land in single range, its
            // subnormals and its overflow.
            a = std::ldexp(static_cast<double>(random() >> 11), static_cast<int>(random() % 400) - 250);
            b = std::ldexp(static_cast<double>(random() >> 11), static_cast<int>(random() % 200) - 100);
        }
        const int op = static_cast<int>(random() % 4);
        const NativeExtended n = combine<NativeExtended>(op, a, b);
        const MpfrExtended m = combine<MpfrExtended>(op, a, b);
        ASSERT_EQ(float_bits(n.to_float()), float_bits(m.to_float())) << a << " op" << op << " " << b;
        ASSERT_EQ(double_bits(n.to_double()), double_bits(m.to_double())) << a << " op" << op << " " << b;
        if (std::isfinite(n.to_double()) && std::abs(n.to_double()) > 1e-290) {
            ASSERT_EQ(split(n), split(m)) << a << " op" << op << " " << b;
        }
    }
}

TEST(ExtendedBackends, StoresRoundOnceAtEveryBoundary) {
    // Exactly at, and a 64-bit hair either side of, the midpoints that decide
    // single and double rounding, in the normal and subnormal ranges and at
    // the top of each range.
    const double anchors[] = {1.0, 0x1p-126, 0x1p-140, 0x1p-149, 0x1p-150, 0x1p-151, 0x1.fffffep127,
                              0x1p-1022, 0x1p-1070, 0x1p-1074, 0x1.fffffffffffffp1023, 3.0, 5800.0};
    for (double anchor : anchors) {
        for (int shift : {24, 25, 53, 54}) {
            const double half_ulp = std::ldexp(anchor, -shift);
            for (int hair : {0, 1, -1}) {
                for (double sign : {1.0, -1.0}) {
                    auto make = [&](auto tag) {
                        using Ext = decltype(tag);
                        Ext x = Ext(sign * anchor) + Ext(sign * half_ulp);
                        if (hair != 0) x = x + Ext(sign * hair * std::ldexp(anchor, -63));
                        return x;
                    };
                    const NativeExtended n = make(NativeExtended(0.0));
                    const MpfrExtended m = make(MpfrExtended(0.0));
                    EXPECT_EQ(float_bits(n.to_float()), float_bits(m.to_float())) << anchor << " " << shift;
                    EXPECT_EQ(double_bits(n.to_double()), double_bits(m.to_double())) << anchor << " " << shift;
                }
            }
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
TEST(ExtendedBackends, StoredFactorsAgree) {
    std::mt19937_64 random(11);
    const double ln_base = std::log(ShareConstants<NativeExtended>::kExpBase);
    int overflow_lines = 0;
    for (int i = 0; i < 200'000; ++i) {
        double y = std::ldexp(static_cast<double>(random() >> 11) - 0x1p52, static_cast<int>(random() % 64) - 80);
        if (i % 2) {
            const float low = std::bit_cast<float>(static_cast<uint32_t>(random() % 0x7f7fffffu) + 1);
            y = std::log((static_cast<double>(low) + static_cast<double>(std::nextafter(low, INFINITY))) / 2) / ln_base;
        }
        CountingSink native_errors, emulated_errors;
        const float n = stored_power(ShareConstants<NativeExtended>::get().log_base, y, native_errors);
        const float m = stored_power(ShareConstants<MpfrExtended>::get().log_base, y, emulated_errors);
        ASSERT_EQ(float_bits(n), float_bits(m)) << std::hexfloat << y;
        ASSERT_EQ(native_errors.lines, emulated_errors.lines) << std::hexfloat << y;
        overflow_lines += native_errors.lines;
    }
    EXPECT_GT(overflow_lines, 1000);
}

float typical(std::mt19937_64& random, float low, float high) {
    return low + (high - low) * static_cast<float>(random() % 1'000'000) / 1e6f;
}

float wide(std::mt19937_64& random, double low_exp10, double high_exp10) {
    const double e = low_exp10 + (high_exp10 - low_exp10) * static_cast<double>(random() % 1'000'000) / 1e6;
    return static_cast<float>(std::pow(10.0, e));
}

float any_float(std::mt19937_64& random) { return std::bit_cast<float>(static_cast<uint32_t>(random())); }

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

TEST(ExtendedBackends, GeneratedCyclesStoreIdenticalFields) {
    constexpr int kCycles = 200'000;
    std::mt19937_64 random(7);
    int overflow_lines = 0;
    for (int i = 0; i < kCycles; ++i) {
        StarPairValues native = generate(random, i % 5);
        StarPairValues emulated = native;
        CountingSink native_errors, emulated_errors;
        compute_shares_with<NativeExtended>(native, native_errors);
        compute_shares_with<MpfrExtended>(emulated, emulated_errors);
        ASSERT_EQ(native_errors.lines, emulated_errors.lines) << "cycle " << i;
        overflow_lines += native_errors.lines;
        const auto* a = reinterpret_cast<const float*>(&native);
        const auto* b = reinterpret_cast<const float*>(&emulated);
        for (size_t f = 0; f < sizeof(StarPairValues) / sizeof(float); ++f) {
            ASSERT_EQ(float_bits(a[f]), float_bits(b[f])) << "cycle " << i << " field " << f;
        }
    }
    EXPECT_GT(overflow_lines, kCycles / 20);  // the overflow cases were reached
}

}  // namespace
}  // namespace kestrion
