#include "mpfr_extended.h"

#include <cassert>
#include <cmath>
#include <cstdint>

namespace kestrion {
namespace {

// The x87 extended range in MPFR's terms (value = 0.1xxx × 2^e): the largest
// finite value is just under 2^16384 and the least subnormal is 2^-16445.
constexpr mpfr_exp_t kExtendedEmax = 16384;
constexpr mpfr_exp_t kExtendedEminSubnormal = -16444;

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

// mpfr_get_d rounds correctly, once, wherever the result is a normal double.
double round_to_double(mpfr_srcptr x) {
    if (mpfr_regular_p(x) && mpfr_get_exp(x) >= kDouble.min_normal_exponent) return mpfr_get_d(x, MPFR_RNDN);
    return round_to(x, kDouble);
}

}  // namespace

void MpfrExtended::set_up() {
    mpfr_set_emin(kExtendedEminSubnormal);
    mpfr_set_emax(kExtendedEmax);
}

MpfrExtended::MpfrExtended() {
    assert(mpfr_get_emin() == kExtendedEminSubnormal && mpfr_get_emax() == kExtendedEmax);
    mpfr_custom_init(limbs_, kPrecision);
    mpfr_custom_init_set(&value_, MPFR_ZERO_KIND, 0, kPrecision, limbs_);
}

MpfrExtended::MpfrExtended(float f) : MpfrExtended() { mpfr_set_flt(get(), f, MPFR_RNDN); }

MpfrExtended::MpfrExtended(double d) : MpfrExtended() { mpfr_set_d(get(), d, MPFR_RNDN); }

// Both directions go through 32-bit halves, which mpfr's unsigned long
// functions take on every platform.
MpfrExtended MpfrExtended::from_encoding(X87Encoding e) {
    MpfrExtended r;
    if (e.is_nan()) {
        mpfr_set_nan(r.get());
        return r;
    }
    if (e.is_inf()) {
        mpfr_set_inf(r.get(), e.negative() ? -1 : 1);
        return r;
    }
    const long low_bit = e.low_bit_exponent();
    mpfr_set_ui_2exp(r.get(), static_cast<unsigned long>(e.significand >> 32), low_bit + 32, MPFR_RNDN);
    MpfrExtended low;
    mpfr_set_ui_2exp(low.get(), static_cast<unsigned long>(e.significand & 0xffffffffu), low_bit, MPFR_RNDN);
    mpfr_add(r.get(), r.get(), low.get(), MPFR_RNDN);  // exact: 64 bits
    if (e.negative()) mpfr_neg(r.get(), r.get(), MPFR_RNDN);
    return r;
}

X87Encoding MpfrExtended::encoding() const {
    const bool negative = mpfr_signbit(get()) != 0;
    if (mpfr_nan_p(get())) return X87Encoding::nan();
    if (mpfr_inf_p(get())) return X87Encoding::infinity(negative);
    if (mpfr_zero_p(get())) return X87Encoding::zero(negative);
    // The value is 0.1… × 2^exp, so its top bit is worth 2^(exp - 1).
    long biased = static_cast<long>(mpfr_get_exp(get())) - 1 + kX87Bias;
    if (biased < 1) biased = 0;
    const long low_bit = (biased == 0 ? 1 : biased) - kX87LowBitOffset;
    MpfrExtended scaled, high;
    mpfr_abs(scaled.get(), get(), MPFR_RNDN);
    mpfr_mul_2si(scaled.get(), scaled.get(), -low_bit, MPFR_RNDN);  // the significand, as an integer
    mpfr_div_2ui(high.get(), scaled.get(), 32, MPFR_RNDN);
    mpfr_trunc(high.get(), high.get());
    const uint64_t top = mpfr_get_ui(high.get(), MPFR_RNDZ);
    mpfr_mul_2ui(high.get(), high.get(), 32, MPFR_RNDN);
    mpfr_sub(scaled.get(), scaled.get(), high.get(), MPFR_RNDN);
    const uint64_t bottom = mpfr_get_ui(scaled.get(), MPFR_RNDZ);
    return {static_cast<uint16_t>(X87Encoding::sign_bit(negative) | biased), (top << 32) | bottom};
}

MpfrExtended::MpfrExtended(const MpfrExtended& other) : MpfrExtended() { mpfr_set(get(), other.get(), MPFR_RNDN); }

MpfrExtended& MpfrExtended::operator=(const MpfrExtended& other) {
    mpfr_set(get(), other.get(), MPFR_RNDN);
    return *this;
}

void MpfrExtended::subnormalize(int ternary) { mpfr_subnormalize(get(), ternary, MPFR_RNDN); }

float MpfrExtended::to_float() const { return static_cast<float>(round_to(get(), kSingle)); }

double MpfrExtended::to_double() const { return round_to_double(get()); }

#define KESTRION_BINARY_OPERATION(op, function)                                \
    MpfrExtended operator op(const MpfrExtended& a, const MpfrExtended& b) {   \
        MpfrExtended r;                                                        \
        r.subnormalize(function(r.get(), a.get(), b.get(), MPFR_RNDN));        \
        return r;                                                              \
    }
KESTRION_BINARY_OPERATION(+, mpfr_add)
KESTRION_BINARY_OPERATION(-, mpfr_sub)
KESTRION_BINARY_OPERATION(*, mpfr_mul)
KESTRION_BINARY_OPERATION(/, mpfr_div)
#undef KESTRION_BINARY_OPERATION

bool operator>=(const MpfrExtended& a, const MpfrExtended& b) { return mpfr_greaterequal_p(a.get(), b.get()) != 0; }
bool operator<=(const MpfrExtended& a, const MpfrExtended& b) { return mpfr_lessequal_p(a.get(), b.get()) != 0; }

}  // namespace kestrion
