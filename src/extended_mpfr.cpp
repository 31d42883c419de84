#include "extended_mpfr.h"

#include "mpfr_rounding.h"

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

}  // namespace

MpfrExtended::MpfrExtended() {
    static const bool ready = set_up_mpfr();
    (void)ready;
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

void MpfrExtended::settle(int ternary) { mpfr_subnormalize(get(), ternary, MPFR_RNDN); }

float MpfrExtended::to_float() const { return mpfr_round_to_single(get()); }

double MpfrExtended::to_double() const { return mpfr_round_to_double(get()); }

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

}  // namespace kestrion
