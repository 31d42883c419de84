// The reference the tests hold the program's back ends against: the x87
// extended format emulated with GNU MPFR (64-bit significand, the x87
// exponent range with its subnormals, round to nearest even, and stores to
// single and double rounded once, as the hardware does). Values live in
// their own storage: no allocation, ever. set_up() must have run first.
#pragma once

#include <mpfr.h>

#include "extended_encoding.h"

namespace kestrion {

class MpfrExtended {
public:
    explicit MpfrExtended(float f);
    explicit MpfrExtended(double d);
    static MpfrExtended from_encoding(X87Encoding e);
    X87Encoding encoding() const;
    MpfrExtended(const MpfrExtended& other);
    MpfrExtended& operator=(const MpfrExtended& other);

    float to_float() const;
    double to_double() const;

    friend MpfrExtended operator+(const MpfrExtended& a, const MpfrExtended& b);
    friend MpfrExtended operator-(const MpfrExtended& a, const MpfrExtended& b);
    friend MpfrExtended operator*(const MpfrExtended& a, const MpfrExtended& b);
    friend MpfrExtended operator/(const MpfrExtended& a, const MpfrExtended& b);
    friend bool operator>=(const MpfrExtended& a, const MpfrExtended& b);
    friend bool operator<=(const MpfrExtended& a, const MpfrExtended& b);

    static constexpr mpfr_prec_t kPrecision = 64;

    // Sets MPFR's exponent range to the x87 one, subnormals included. MPFR
    // keeps it per thread.
    static void set_up();

private:
    MpfrExtended();  // +0
    mpfr_ptr get() { return &value_; }
    mpfr_srcptr get() const { return &value_; }
    // Rounds a fresh result again where it falls among the x87 subnormals.
    void subnormalize(int ternary);

    static constexpr size_t kLimbs = (kPrecision + GMP_NUMB_BITS - 1) / GMP_NUMB_BITS;
    mp_limb_t limbs_[kLimbs];
    __mpfr_struct value_;
};

}  // namespace kestrion
