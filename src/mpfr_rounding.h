// Rounding an MPFR value once to IEEE single or double precision, to
// nearest even, with gradual underflow, as the x87 unit rounds a store.
#pragma once

#include <mpfr.h>

namespace kestrion {

float mpfr_round_to_single(mpfr_srcptr x);
double mpfr_round_to_double(mpfr_srcptr x);

}  // namespace kestrion
