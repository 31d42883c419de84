#include "extended_mpfr.h"

#include <cassert>

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
        r.subnormalize(function(r.get(), a.get(), b.get(), MPFR_RNDN));              \
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
