#include "share_computation.h"

#include <gtest/gtest.h>
#include <mpfr.h>

#include <cmath>
#include <limits>

#include "extended.h"
#include "expected_text.h"
#include "recording_sink.h"

namespace kestrion {
namespace {

using testing::RecordingSink;

// With ln x = 1 the product t is y itself, so the bounds can be hit exactly.
const Extended kUnitLog(1.0);
constexpr double kInf = std::numeric_limits<double>::infinity();

// x^y as the computation stores it, by the computation's own steps.
float power(const Extended& log_x, double y, RecordingSink& errors) {
    const PowerExponent e = power_exponent(log_x, Extended(y));
    write_overflow_line(e, errors);
    return stored_power(e);
}

TEST(Power, OverflowsFromTheLimitOnWithOneLine) {
    for (double y : {kPowerLimit, 709.8, 1e4, kInf}) {
        RecordingSink errors;
        EXPECT_EQ(power(kUnitLog, y, errors), INFINITY) << y;
        ASSERT_EQ(errors.lines.size(), 1u) << y;
        EXPECT_EQ(errors.lines[0], testing::kOverflowText);
    }
}

TEST(Power, BelowTheLimitIsSilentEvenWhenTheStoreOverflows) {
    for (double y : {std::nextafter(kPowerLimit, 0.0), 100.0, 88.73}) {
        RecordingSink errors;
        EXPECT_EQ(power(kUnitLog, y, errors), INFINITY) << y;
        EXPECT_TRUE(errors.lines.empty()) << y;
    }
}

TEST(Power, UnderflowsSilentlyToZero) {
    for (double y : {-kPowerLimit, -800.0, -kInf, std::nextafter(-kPowerLimit, 0.0), -104.0}) {
        RecordingSink errors;
        EXPECT_EQ(power(kUnitLog, y, errors), 0.0f) << y;
        EXPECT_TRUE(errors.lines.empty());
    }
}

TEST(Power, TheLimitAppliesToTheProductNotTheExponent) {
    // ln 2.71828182846 exceeds 1 by about 3.4e-13, so an exponent 1e-10
    // below the limit still tips t over it, and one 1e-9 below does not.
    const Extended log_base(ShareConstants<Extended>::get().log_base);
    RecordingSink errors;
    power(log_base, kPowerLimit - 1e-10, errors);
    EXPECT_EQ(errors.lines.size(), 1u);
    power(log_base, kPowerLimit - 1e-9, errors);
    EXPECT_EQ(errors.lines.size(), 1u);
}

TEST(Power, ZeroExponentGivesOneAndNaNFlowsThrough) {
    RecordingSink errors;
    EXPECT_EQ(power(kUnitLog, 0.0, errors), 1.0f);
    EXPECT_EQ(power(kUnitLog, -0.0, errors), 1.0f);
    EXPECT_TRUE(std::isnan(power(kUnitLog, std::nan(""), errors)));
    EXPECT_TRUE(errors.lines.empty());
}

// The pinned constants: ln 2.71828182846 and 10^-13 correctly rounded to
// 64 bits, and h·c and ((2·h)·c)·c as the extended arithmetic rounds them.
TEST(ShareConstants, PinnedValuesAreCorrectlyRounded) {
    using Constants = ShareConstants<Extended>;
    const Constants& constants = Constants::get();
    mpfr_t exact, pinned;
    mpfr_inits2(64, exact, pinned, static_cast<mpfr_ptr>(nullptr));
    auto expect_pinned = [&](const Extended& value, const char* what) {
        // The value's 64 bits as two doubles: the rest after the first is exact.
        const double hi = value.to_double();
        const double lo = (value - Extended(hi)).to_double();
        mpfr_set_d(pinned, hi, MPFR_RNDN);
        mpfr_add_d(pinned, pinned, lo, MPFR_RNDN);
        EXPECT_TRUE(mpfr_equal_p(exact, pinned)) << what;
    };
    mpfr_set_d(exact, Constants::kExpBase, MPFR_RNDN);
    mpfr_log(exact, exact, MPFR_RNDN);
    expect_pinned(Extended(constants.log_base), "ln 2.71828182846");
    mpfr_set_str(exact, "1e-13", 10, MPFR_RNDN);
    expect_pinned(Extended(constants.radiance_scale), "1e-13");
    mpfr_clears(exact, pinned, static_cast<mpfr_ptr>(nullptr));

    const Extended planck(Constants::kPlanck), light_speed(Constants::kLightSpeed);
    EXPECT_EQ(Extended(constants.planck_light_speed).encoding(), (planck * light_speed).encoding());
    EXPECT_EQ(Extended(constants.radiance_numerator).encoding(),
              (((Extended(2.0f) * planck) * light_speed) * light_speed).encoding());
}

}  // namespace
}  // namespace kestrion
