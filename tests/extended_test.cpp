#include "extended.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kestrion {
namespace {

bool same(Extended a, Extended b) { return a >= b && a <= b; }

Extended power_of_two(int n) { return Extended(std::ldexp(1.0, n)); }

TEST(Extended, CarriesSixtyFourSignificantBits) {
    const Extended tiny = power_of_two(-63);
    EXPECT_TRUE(same((Extended(1.0) + tiny) - Extended(1.0), tiny));
    EXPECT_TRUE(same((Extended(1.0) + power_of_two(-64)) - Extended(1.0), Extended(0.0)));  // tie to even
}

TEST(Extended, StoresRoundOnceFromExtended) {
    // Rounding to double first would land on the single midpoint and tie to even.
    const Extended above_single_midpoint = Extended(1.0) + power_of_two(-24) + power_of_two(-60);
    EXPECT_EQ(above_single_midpoint.to_float(), 1.0f + 0x1p-23f);
    const Extended above_double_midpoint = Extended(1.0) + power_of_two(-53) + power_of_two(-63);
    EXPECT_EQ(above_double_midpoint.to_double(), 1.0 + 0x1p-52);
    EXPECT_EQ((Extended(1.0) + power_of_two(-24)).to_float(), 1.0f);  // an exact tie: to even
}

TEST(Extended, IeeeSpecialValuesFlowThrough) {
    const Extended inf(INFINITY);
    EXPECT_TRUE(std::isinf((Extended(1.0) / Extended(0.0)).to_double()));
    EXPECT_EQ((Extended(1.0f) / (inf - Extended(1.0f))).to_float(), 0.0f);
    EXPECT_TRUE(std::isnan((Extended(0.0) / Extended(0.0)).to_float()));
    EXPECT_TRUE(std::signbit((Extended(-1.0) / inf).to_float()));
    EXPECT_EQ(Extended(1e300).to_float(), INFINITY);
    EXPECT_EQ(Extended(1e-300).to_float(), 0.0f);
    EXPECT_EQ(Extended(0x1p-149 * 0.75).to_float(), 0x1p-149f);  // rounds to the least subnormal
}

}  // namespace
}  // namespace kestrion
