#include "number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "c_library_reference.h"
#include "compiler.h"
#include "every_core.h"

namespace kestrion {
namespace {

std::string fixed6(float v) {
    char buffer[kMaxFixed6Length];
    char* end = format_fixed6(v, buffer);
    EXPECT_LE(static_cast<size_t>(end - buffer), kMaxFixed6Length);
    return std::string(buffer, end);
}

// The plain rule for every finite value: the C library's "%f" of the value widened.
void expect_printf(float v) {
    char want[64];
    std::snprintf(want, sizeof want, "%f", static_cast<double>(v));
    char got[kMaxFixed6Length];
    const size_t length = static_cast<size_t>(format_fixed6(v, got) - got);
    ASSERT_TRUE(length == std::strlen(want) && std::memcmp(got, want, length) == 0)
        << "bits " << std::hex << kestrion::bit_cast<uint32_t>(v) << ": " << want;
}

TEST(FormatFixed6, SpecialValues) {
    EXPECT_EQ(fixed6(0.0f), "0.000000");
    EXPECT_EQ(fixed6(-0.0f), "-0.000000");
    EXPECT_EQ(fixed6(std::numeric_limits<float>::infinity()), "inf");
    EXPECT_EQ(fixed6(-std::numeric_limits<float>::infinity()), "-inf");
    EXPECT_EQ(fixed6(kestrion::bit_cast<float>(0x7fc00000u)), "nan");
    EXPECT_EQ(fixed6(kestrion::bit_cast<float>(0xffc00000u)), "nan");  // sign bit set
    EXPECT_EQ(fixed6(kestrion::bit_cast<float>(0x7f800001u)), "nan");  // signalling
    EXPECT_EQ(fixed6(std::numeric_limits<float>::max()), "340282346638528859811704183484516925440.000000");
    EXPECT_EQ(fixed6(-std::numeric_limits<float>::denorm_min()), "-0.000000");
}

TEST(FormatFixed6, TiesGoToEven) {
    EXPECT_EQ(fixed6(0.0078125f), "0.007812");   // 7812.5 millionths
    EXPECT_EQ(fixed6(0.0234375f), "0.023438");   // 23437.5
    EXPECT_EQ(fixed6(-0.0078125f), "-0.007812");
    EXPECT_EQ(fixed6(5213.0097656f), "5213.009766");
}

// A value prints a tie exactly when it is an odd multiple of 1/128: then and
// only then is value × 10^6 an integer plus one half. Every `stride`-th such
// single (every one in the sweep).
void expect_ties_match_printf(uint32_t stride) {
    for (uint32_t odd = 1; odd < (1u << 24); odd += 2 * stride) {
        const float v = static_cast<float>(odd) / 128.0f;
        expect_printf(v);
        if (odd % 7 == 1) expect_printf(-v);
    }
}

TEST(FormatFixed6, TiesMatchPrintf) {
    KESTRION_SKIP_UNLESS_PRINTF_ROUNDS_TIES_TO_EVEN();
    expect_ties_match_printf(61);
}
TEST(FormatFixed6Sweep, EveryTieMatchesPrintf) {
    KESTRION_SKIP_UNLESS_PRINTF_ROUNDS_TIES_TO_EVEN();
    expect_ties_match_printf(1);
}

// Every biased exponent, subnormals included, with random significands and signs.
void expect_every_exponent_matches_printf(int per_exponent) {
    std::mt19937 random(20261208);
    for (uint32_t exponent = 0; exponent < 255; ++exponent) {
        for (int i = 0; i < per_exponent; ++i) {
            const uint32_t bits = (static_cast<uint32_t>(random()) & 0x807fffffu) | (exponent << 23);
            expect_printf(kestrion::bit_cast<float>(bits));
        }
        expect_printf(kestrion::bit_cast<float>(exponent << 23));
        expect_printf(kestrion::bit_cast<float>((exponent << 23) | 0x7fffffu));
    }
}

TEST(FormatFixed6, MatchesPrintfAcrossEveryExponent) {
    KESTRION_SKIP_UNLESS_PRINTF_ROUNDS_TIES_TO_EVEN();
    expect_every_exponent_matches_printf(1'000);
}
TEST(FormatFixed6Sweep, MatchesPrintfAcrossEveryExponent) {
    KESTRION_SKIP_UNLESS_PRINTF_ROUNDS_TIES_TO_EVEN();
    expect_every_exponent_matches_printf(40'000);
}

TEST(FormatFixed6, MatchesPrintfAroundRoundingBoundaries) {
    KESTRION_SKIP_UNLESS_PRINTF_ROUNDS_TIES_TO_EVEN();
    // Neighbours of k + 0.5 millionths and of whole numbers, where the rounding turns.
    std::mt19937 random(3);
    for (int i = 0; i < 500'000; ++i) {
        const double units = static_cast<double>(random() % 2'000'000'000) + 0.5;
        const float v = static_cast<float>(units / 1e6);
        expect_printf(v);
        expect_printf(std::nextafter(v, 0.0f));
        expect_printf(std::nextafter(v, INFINITY));
    }
}

// The check that the C library's "%f" may serve as the reference: a
// printer that rounds exact ties away from zero is refused, with the
// reason; one that rounds them to even is taken.
// Printers that round value · 10^decimals (exact for the ties checked) to
// a whole number of last places: half away from zero, or half to even.
std::string fixed_rounding_ties_away(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    return testing::c_library_fixed(std::round(value * scale) / scale, decimals);
}
std::string fixed_rounding_ties_to_even(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    return testing::c_library_fixed(std::nearbyint(value * scale) / scale, decimals);
}

TEST(PrintfReference, APrinterThatRoundsTiesAwayIsRefused) {
    const std::string fault = testing::printf_ties_fault(fixed_rounding_ties_away);
    EXPECT_EQ(fault.rfind("this C library rounds exact ties away from even", 0), 0u) << fault;
    EXPECT_EQ(testing::printf_ties_fault(fixed_rounding_ties_to_even), "");
}

// Every one of the 2^32 singles, NaNs and infinities included, against the
// C library's "%f" (a NaN prints "nan" whatever its sign, where the C
// library writes "-nan" for some).
TEST(FormatFixed6Exhaustive, EverySingleMatchesPrintf) {
    KESTRION_SKIP_UNLESS_PRINTF_ROUNDS_TIES_TO_EVEN();
    const auto failures = testing::on_every_core(testing::slice_of(uint64_t{1} << 32), [](uint64_t begin, uint64_t end) {
        std::vector<std::string> found;
        char want[64], got[kMaxFixed6Length];
        for (uint64_t bits = begin; bits < end && found.size() < 10; ++bits) {
            const float v = kestrion::bit_cast<float>(static_cast<uint32_t>(bits));
            if (std::isnan(v)) {
                std::memcpy(want, "nan", 4);
            } else {
                std::snprintf(want, sizeof want, "%f", static_cast<double>(v));
            }
            const size_t length = static_cast<size_t>(format_fixed6(v, got) - got);
            if (length != std::strlen(want) || std::memcmp(got, want, length) != 0) {
                found.push_back("bits " + std::to_string(bits) + ": want " + want + ", got " + std::string(got, length));
            }
        }
        return found;
    });
    EXPECT_TRUE(failures.empty()) << failures.size() << " failures, the first: " << failures.front();
}

}  // namespace
}  // namespace kestrion
