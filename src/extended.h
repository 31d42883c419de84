// Extended-precision intermediates: the x87 80-bit format (64-bit significand,
// 15-bit exponent, round to nearest even). Every intermediate of the share
// computation is one of these; only stores round to single precision.
#pragma once

#include <cfloat>
#include <cmath>
#include <cstdlib>

static_assert(LDBL_MANT_DIG == 64 && LDBL_MAX_EXP == 16384,
              "kestrion needs long double in the x87 80-bit extended format "
              "(64-bit significand, 15-bit exponent); this target has none");

namespace kestrion {

class Extended {
public:
    explicit Extended(float f) : v_(f) {}
    explicit Extended(double d) : v_(d) {}

    // The extended value nearest to a decimal literal (not the double widened).
    static Extended from_decimal(const char* text) { return Extended(std::strtold(text, nullptr)); }

    float to_float() const { return static_cast<float>(v_); }
    double to_double() const { return static_cast<double>(v_); }

    friend Extended operator+(Extended a, Extended b) { return Extended(a.v_ + b.v_); }
    friend Extended operator-(Extended a, Extended b) { return Extended(a.v_ - b.v_); }
    friend Extended operator*(Extended a, Extended b) { return Extended(a.v_ * b.v_); }
    friend Extended operator/(Extended a, Extended b) { return Extended(a.v_ / b.v_); }
    friend bool operator>=(Extended a, Extended b) { return a.v_ >= b.v_; }
    friend bool operator<=(Extended a, Extended b) { return a.v_ <= b.v_; }

    friend Extended exp(Extended a) { return Extended(std::exp(a.v_)); }
    friend Extended log(Extended a) { return Extended(std::log(a.v_)); }

private:
    explicit Extended(long double v) : v_(v) {}
    long double v_;
};

}  // namespace kestrion
