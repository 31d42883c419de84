#include "share_computation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "extended.h"
#include "recording_sink.h"

namespace kestrion {
namespace {

using testing::RecordingSink;

// With ln x = 1 the product t is y itself, so the bounds can be hit exactly.
const Extended kUnitLog(1.0);

TEST(Power, OverflowsFromTheLimitOnWithOneLine) {
    for (double y : {kPowerLimit, 709.8, 1e4, std::numeric_limits<double>::infinity()}) {
        RecordingSink errors;
        EXPECT_TRUE(std::isinf(power_from_log<Extended>(kUnitLog, y, errors).to_double())) << y;
        ASSERT_EQ(errors.lines.size(), 1u) << y;
        EXPECT_EQ(errors.lines[0], "\r\npow: OVERFLOW error\r\n");
    }
}

TEST(Power, JustBelowTheLimitIsFiniteAndSilent) {
    RecordingSink errors;
    const double y = std::nextafter(kPowerLimit, 0.0);
    const Extended result = power_from_log<Extended>(kUnitLog, y, errors);
    EXPECT_TRUE(errors.lines.empty());
    EXPECT_TRUE(std::isfinite(result.to_double()));
    EXPECT_GT(result.to_double(), 1e308);
    EXPECT_TRUE(std::isinf(result.to_float()));  // too large for a single, yet no error line
}

TEST(Power, UnderflowsSilentlyToZero) {
    for (double y : {-kPowerLimit, -800.0, -std::numeric_limits<double>::infinity()}) {
        RecordingSink errors;
        EXPECT_EQ(power_from_log<Extended>(kUnitLog, y, errors).to_double(), 0.0) << y;
        EXPECT_TRUE(errors.lines.empty());
    }
    RecordingSink errors;
    EXPECT_GT(power_from_log<Extended>(kUnitLog, std::nextafter(-kPowerLimit, 0.0), errors).to_double(), 0.0);
}

TEST(Power, TheLimitAppliesToTheProductNotTheExponent) {
    // ln 2.71828182846 exceeds 1 by about 3.4e-13, so an exponent 1e-10
    // below the limit still tips t over it, and one 1e-9 below does not.
    const double base = 2.71828182846;
    RecordingSink errors;
    EXPECT_TRUE(std::isinf(power<Extended>(base, kPowerLimit - 1e-10, errors).to_double()));
    EXPECT_EQ(errors.lines.size(), 1u);
    const Extended finite = power<Extended>(base, kPowerLimit - 1e-9, errors);
    EXPECT_TRUE(std::isfinite(finite.to_double()));
    EXPECT_EQ(errors.lines.size(), 1u);
}

TEST(Power, ZeroExponentGivesOneAndNaNFlowsThrough) {
    RecordingSink errors;
    EXPECT_EQ(power<Extended>(2.71828182846, 0.0, errors).to_double(), 1.0);
    EXPECT_EQ(power<Extended>(2.71828182846, -0.0, errors).to_double(), 1.0);
    EXPECT_TRUE(std::isnan(power<Extended>(2.71828182846, std::nan(""), errors).to_double()));
    EXPECT_TRUE(errors.lines.empty());
}

TEST(Power, AgreesWithRepeatedMultiplicationForSmallIntegers) {
    RecordingSink errors;
    for (int n = 1; n < 60; ++n) {
        long double product = 1;
        for (int i = 0; i < n; ++i) product *= 1.5L;
        const double got = power<Extended>(1.5, n, errors).to_double();
        EXPECT_NEAR(got, static_cast<double>(product), static_cast<double>(product) * 1e-15) << n;
    }
}

}  // namespace
}  // namespace kestrion
