#include "exponential_factor.h"

#include <mpfr.h>

#include "extended.h"

namespace kestrion {

// MPFR's exp is correctly rounded, so at 64 bits it gives x = RN64(e^t).
// Past the edges above the store does not depend on it. Between them x lies
// in (2^-152, 2^129), so hi = double(x) is a normal double and x - hi (at
// most 12 bits, at least 2^-216) is exactly a normal double too: the
// extended sum hi + lo is x again, without rounding, and its store is the
// back end's own, which rounds once, subnormals included.
float exact_exponential_factor(double t_hi, double t_lo) {
    using namespace exponential_detail;
    assert(in_range(t_hi, t_lo));
    float factor;
    if (decided_without_exp(t_hi, factor)) return factor;
    constexpr mpfr_prec_t kPrecision = 64;
    mp_limb_t t_limbs[(kPrecision + GMP_NUMB_BITS - 1) / GMP_NUMB_BITS];
    mp_limb_t x_limbs[(kPrecision + GMP_NUMB_BITS - 1) / GMP_NUMB_BITS];
    __mpfr_struct t, x;
    mpfr_custom_init(t_limbs, kPrecision);
    mpfr_custom_init_set(&t, MPFR_ZERO_KIND, 0, kPrecision, t_limbs);
    mpfr_custom_init(x_limbs, kPrecision);
    mpfr_custom_init_set(&x, MPFR_ZERO_KIND, 0, kPrecision, x_limbs);
    mpfr_set_d(&t, t_hi, MPFR_RNDN);
    mpfr_add_d(&t, &t, t_lo, MPFR_RNDN);  // exact: t has 64 bits
    mpfr_exp(&x, &t, MPFR_RNDN);
    const double hi = mpfr_get_d(&x, MPFR_RNDN);
    mpfr_sub_d(&x, &x, hi, MPFR_RNDN);  // exact
    const double lo = mpfr_get_d(&x, MPFR_RNDN);
    return (Extended(hi) + Extended(lo)).to_float();
}

}  // namespace kestrion
