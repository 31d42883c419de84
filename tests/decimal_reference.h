// The plain rule for reading a decimal: the literal rounded correctly to
// double by MPFR (with the double format's range and subnormals). Not the C
// library's strtod, which is not correctly rounded everywhere.
#pragma once

#include <mpfr.h>

#include <string>

namespace kestrion::testing {

inline double reference_to_double(const std::string& literal) {
    const mpfr_exp_t emin = mpfr_get_emin(), emax = mpfr_get_emax();
    mpfr_set_emin(-1073);  // 0.1 × 2^-1073 is the least subnormal double
    mpfr_set_emax(1024);
    mpfr_t x;
    mpfr_init2(x, 53);
    const int ternary = mpfr_strtofr(x, literal.c_str(), nullptr, 10, MPFR_RNDN);
    mpfr_subnormalize(x, ternary, MPFR_RNDN);
    const double d = mpfr_get_d(x, MPFR_RNDN);
    mpfr_clear(x);
    mpfr_set_emin(emin);
    mpfr_set_emax(emax);
    return d;
}

}  // namespace kestrion::testing
