#include "mpfr_rounding.h"

#include <cmath>

namespace kestrion {
namespace {

// An IEEE binary format: `bits` of significand, and the MPFR exponent of its
// least normal number (2^-126 is 0.1 × 2^-125).
struct IeeeFormat {
    int bits;
    mpfr_exp_t min_normal_exponent;
};
constexpr IeeeFormat kSingle{24, -125};
constexpr IeeeFormat kDouble{53, -1021};

// x rounded once, to nearest even, to `format`, with its subnormals, as a
// double (exact for both formats; a float result converts exactly, and one
// rounded past the largest float is 2^128, which converts to infinity).
double round_to(mpfr_srcptr x, IeeeFormat format) {
    if (!mpfr_number_p(x) || mpfr_zero_p(x)) return mpfr_get_d(x, MPFR_RNDN);
    const mpfr_exp_t e = mpfr_get_exp(x);
    const mpfr_exp_t shortfall = e < format.min_normal_exponent ? format.min_normal_exponent - e : 0;
    const mpfr_exp_t bits = format.bits - shortfall;
    const bool negative = mpfr_signbit(x) != 0;
    if (bits < 0) return negative ? -0.0 : 0.0;
    if (bits == 0) {
        // |x| lies in [2^(e-1), 2^e), and 2^e is the least subnormal:
        // anything above the half rounds up to it, the half itself to even 0.
        const bool tie = mpfr_cmp_si_2exp(x, negative ? -1 : 1, e - 1) == 0;
        const double r = tie ? 0.0 : std::ldexp(1.0, static_cast<int>(e));
        return negative ? -r : r;
    }
    mp_limb_t limbs[(kDouble.bits + GMP_NUMB_BITS - 1) / GMP_NUMB_BITS];
    __mpfr_struct y;
    mpfr_custom_init(limbs, bits);
    mpfr_custom_init_set(&y, MPFR_ZERO_KIND, 0, bits, limbs);
    mpfr_set(&y, x, MPFR_RNDN);
    return mpfr_get_d(&y, MPFR_RNDN);  // exact, or infinite past the double range
}

}  // namespace

float mpfr_round_to_single(mpfr_srcptr x) { return static_cast<float>(round_to(x, kSingle)); }

// mpfr_get_d rounds correctly, once, wherever the result is a normal double.
double mpfr_round_to_double(mpfr_srcptr x) {
    if (mpfr_regular_p(x) && mpfr_get_exp(x) >= kDouble.min_normal_exponent) return mpfr_get_d(x, MPFR_RNDN);
    return round_to(x, kDouble);
}

}  // namespace kestrion
