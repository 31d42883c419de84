#include "extended_mpfr.h"

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>

namespace kestrion {
namespace {

// The x87 extended range in MPFR's terms (value = 0.1xxx × 2^e): the largest
// finite value is just under 2^16384 and the least subnormal is 2^-16445.
constexpr mpfr_exp_t kExtendedEmax = 16384;
constexpr mpfr_exp_t kExtendedEminSubnormal = -16444;

// GMP's allocation functions, wrapped so that a block never shrinks. MPFR's
// exp resizes a few cached integers down and up again on every call; with
// blocks that keep their size, a cycle allocates nothing once warmed up.
struct alignas(std::max_align_t) BlockHeader {
    size_t capacity;
};

void* grow(BlockHeader* block, size_t size) {
    block = static_cast<BlockHeader*>(std::realloc(block, sizeof(BlockHeader) + size));
    if (block == nullptr) {
        std::fputs("kestrion: out of memory\n", stderr);
        std::abort();
    }
    block->capacity = size;
    return block + 1;
}

void* allocate(size_t size) { return grow(nullptr, size); }

void* reallocate(void* data, size_t, size_t size) {
    BlockHeader* block = static_cast<BlockHeader*>(data) - 1;
    return size <= block->capacity ? data : grow(block, size);
}

void release(void* data, size_t) { std::free(static_cast<BlockHeader*>(data) - 1); }

bool set_up_mpfr() {
    mp_set_memory_functions(allocate, reallocate, release);
    mpfr_set_emin(kExtendedEminSubnormal);
    mpfr_set_emax(kExtendedEmax);
    return true;
}

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
    mp_limb_t limbs[1];
    __mpfr_struct y;
    mpfr_custom_init(limbs, bits);
    mpfr_custom_init_set(&y, MPFR_ZERO_KIND, 0, bits, limbs);
    mpfr_set(&y, x, MPFR_RNDN);
    return mpfr_get_d(&y, MPFR_RNDN);  // exact, or infinite past the double range
}

}  // namespace

MpfrExtended::MpfrExtended() {
    static const bool ready = set_up_mpfr();
    (void)ready;
    mpfr_custom_init(limbs_, kPrecision);
    mpfr_custom_init_set(&value_, MPFR_ZERO_KIND, 0, kPrecision, limbs_);
}

MpfrExtended::MpfrExtended(float f) : MpfrExtended() { mpfr_set_flt(get(), f, MPFR_RNDN); }

MpfrExtended::MpfrExtended(double d) : MpfrExtended() { mpfr_set_d(get(), d, MPFR_RNDN); }

MpfrExtended MpfrExtended::from_decimal(const char* text) {
    MpfrExtended r;
    r.settle(mpfr_strtofr(r.get(), text, nullptr, 10, MPFR_RNDN));
    return r;
}

MpfrExtended::MpfrExtended(const MpfrExtended& other) : MpfrExtended() { mpfr_set(get(), other.get(), MPFR_RNDN); }

MpfrExtended& MpfrExtended::operator=(const MpfrExtended& other) {
    mpfr_set(get(), other.get(), MPFR_RNDN);
    return *this;
}

void MpfrExtended::settle(int ternary) { mpfr_subnormalize(get(), ternary, MPFR_RNDN); }

float MpfrExtended::to_float() const { return static_cast<float>(round_to(get(), kSingle)); }

double MpfrExtended::to_double() const { return round_to(get(), kDouble); }

#define KESTRION_BINARY_OPERATION(op, function)                                \
    MpfrExtended operator op(const MpfrExtended& a, const MpfrExtended& b) {   \
        MpfrExtended r;                                                        \
        r.settle(function(r.get(), a.get(), b.get(), MPFR_RNDN));              \
        return r;                                                              \
    }
KESTRION_BINARY_OPERATION(+, mpfr_add)
KESTRION_BINARY_OPERATION(-, mpfr_sub)
KESTRION_BINARY_OPERATION(*, mpfr_mul)
KESTRION_BINARY_OPERATION(/, mpfr_div)
#undef KESTRION_BINARY_OPERATION

bool operator>=(const MpfrExtended& a, const MpfrExtended& b) { return mpfr_greaterequal_p(a.get(), b.get()) != 0; }
bool operator<=(const MpfrExtended& a, const MpfrExtended& b) { return mpfr_lessequal_p(a.get(), b.get()) != 0; }

MpfrExtended exp(const MpfrExtended& a) {
    MpfrExtended r;
    r.settle(mpfr_exp(r.get(), a.get(), MPFR_RNDN));
    return r;
}

MpfrExtended log(const MpfrExtended& a) {
    MpfrExtended r;
    r.settle(mpfr_log(r.get(), a.get(), MPFR_RNDN));
    return r;
}

}  // namespace kestrion
