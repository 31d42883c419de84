#include "extended_mpfr.h"

#include <cassert>
#include <cstdint>

#include "mpfr_rounding.h"

namespace kestrion {
namespace {

// The x87 extended range in MPFR's terms (value = 0.1xxx × 2^e): the largest
// finite value is just under 2^16384 and the least subnormal is 2^-16445.
constexpr mpfr_exp_t kExtendedEmax = 16384;
constexpr mpfr_exp_t kExtendedEminSubnormal = -16444;

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

float MpfrExtended::to_float() const { return mpfr_round_to_single(get()); }

double MpfrExtended::to_double() const { return mpfr_round_to_double(get()); }

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
