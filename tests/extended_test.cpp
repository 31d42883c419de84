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

TEST(Extended, DecimalConstantIsTheNearestExtendedNotTheDouble) {
    // 10^-13 to 64 bits: significand 0xe12e13424bb40e13, times 2^-107.
    const Extended expected =
        (Extended(double{0xe12e1342}) * power_of_two(32) + Extended(double{0x4bb40e13})) * power_of_two(-107);
    EXPECT_TRUE(same(Extended::from_decimal("1e-13"), expected));
    EXPECT_FALSE(same(Extended::from_decimal("1e-13"), Extended(1e-13)));
}

TEST(Extended, ExpAndLogAreExtendedAccurate) {
    const Extended one(1.0);
    const Extended e = exp(one);
    // e to 64 bits is 0xadf85458a2bb4a9b × 2^-62.
    const Extended expected =
        (Extended(double{0xadf85458}) * power_of_two(32) + Extended(double{0xa2bb4a9b})) * power_of_two(-62);
    EXPECT_TRUE(same(e, expected));
    EXPECT_TRUE(same(log(Extended(1.0)), Extended(0.0)));
    EXPECT_TRUE(same(exp(Extended(0.0)), one));
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
