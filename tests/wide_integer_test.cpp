// The 128-bit integer steps against GMP, on random operands of every size
// and on the edges: the pair of 64-bit words, which armhf and i386 run,
// on every target, and the compiler's own 128-bit integer where it has one.
#include "wide_integer.h"

#include <gtest/gtest.h>

#include <random>

#include "gmp_wide.h"

namespace kestrion::wide {
namespace {

using testing::Mpz;
using testing::set_word;
using testing::set_words;
using testing::words_of;

// One form's steps, so that both forms go through one check.
template <class U>
struct Form {
    U (*make)(uint64_t, uint64_t);
    uint64_t (*high)(U);
    uint64_t (*low)(U);
    bool (*is_zero)(U);
    bool (*equal)(U, U);
    bool (*less)(U, U);
    U (*add)(U, U);
    U (*subtract)(U, U);
    U (*multiply)(uint64_t, uint64_t);
    int (*leading_zeros)(U);
    U (*shift_left)(U, int);
    U (*shift_right)(U, int);
    U (*shift_right_jam)(U, int64_t);
};
constexpr Form<two_words::Uint128> kTwoWords = {
    two_words::make,     two_words::high,     two_words::low,           two_words::is_zero,   two_words::equal,
    two_words::less,     two_words::add,      two_words::subtract,      two_words::multiply,  two_words::leading_zeros,
    two_words::shift_left, two_words::shift_right, two_words::shift_right_jam,
};

// x is the value of z below 2^128 (and z is below it).
template <class U>
::testing::AssertionResult is(const Form<U>& form, U x, mpz_srcptr z) {
    const testing::Words w = words_of(z);
    if (mpz_sgn(z) >= 0 && !w.above_128_bits() && mpz_sizeinbase(z, 2) <= 128 && form.high(x) == w.high() &&
        form.low(x) == w.low()) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "got " << std::hex << form.high(x) << ":" << form.low(x) << ", want "
                                         << w.high() << ":" << w.low();
}

template <class U>
void expect_steps_match_gmp(const Form<U>& form) {
    std::mt19937_64 random(20261208);
    // Random bits, some cut short at either end, so that small values,
    // zeros, full words and carries all occur.
    auto word = [&]() -> uint64_t {
        const uint64_t bits = random() >> (random() % 64);
        return random() % 3 == 0 ? bits << (random() % 64) : bits;
    };
    Mpz za, zb, want, two_to_128;
    mpz_setbit(two_to_128, 128);
    for (int i = 0; i < 1'000'000; ++i) {
        const uint64_t ah = word(), al = word();
        // Now and then b equals a, or a in one of its halves.
        const uint64_t bh = i % 7 == 0 ? ah : word(), bl = i % 5 == 0 ? al : word();
        const U a = form.make(ah, al), b = form.make(bh, bl);
        set_words(za, ah, al);
        set_words(zb, bh, bl);
        const int order = mpz_cmp(za, zb);
        ASSERT_EQ(form.less(a, b), order < 0);
        ASSERT_EQ(form.equal(a, b), order == 0);
        ASSERT_TRUE(form.equal(a, form.make(ah, al)));
        ASSERT_EQ(form.is_zero(a), mpz_sgn(za.value) == 0);
        mpz_add(want, za, zb);
        if (mpz_cmp(want, two_to_128) < 0) {
            ASSERT_TRUE(is(form, form.add(a, b), want));
        }
        if (order >= 0) {
            mpz_sub(want, za, zb);
            ASSERT_TRUE(is(form, form.subtract(a, b), want));
        }
        set_word(za, al);
        set_word(zb, bl);
        mpz_mul(want, za, zb);
        ASSERT_TRUE(is(form, form.multiply(al, bl), want));
        set_words(za, ah, al);
        if (mpz_sgn(za.value) != 0) {
            ASSERT_EQ(form.leading_zeros(a), 128 - static_cast<int>(mpz_sizeinbase(za, 2)));
        }
        const int n = static_cast<int>(random() % 128);
        mpz_mul_2exp(want, za, static_cast<mp_bitcnt_t>(n));
        mpz_fdiv_r_2exp(want, want, 128);
        ASSERT_TRUE(is(form, form.shift_left(a, n), want)) << n;
        mpz_fdiv_q_2exp(want, za, static_cast<mp_bitcnt_t>(n));
        ASSERT_TRUE(is(form, form.shift_right(a, n), want)) << n;
        // Shifted with a sticky bit: the lowest set if any 1 was lost.
        const int64_t m = static_cast<int64_t>(random() % 140);
        mpz_fdiv_q_2exp(want, za, static_cast<mp_bitcnt_t>(m));
        if (!mpz_divisible_2exp_p(za, static_cast<mp_bitcnt_t>(m))) mpz_setbit(want, 0);
        ASSERT_TRUE(is(form, form.shift_right_jam(a, m), want)) << m;
    }
}

TEST(WideInteger, PairOfWordsMatchesGmp) { expect_steps_match_gmp(kTwoWords); }

#if KESTRION_HAS_UINT128
constexpr Form<builtin::Uint128> kBuiltin = {
    builtin::make,     builtin::high,     builtin::low,           builtin::is_zero,   builtin::equal,
    builtin::less,     builtin::add,      builtin::subtract,      builtin::multiply,  builtin::leading_zeros,
    builtin::shift_left, builtin::shift_right, builtin::shift_right_jam,
};
TEST(WideInteger, BuiltInMatchesGmp) { expect_steps_match_gmp(kBuiltin); }
#endif

}  // namespace
}  // namespace kestrion::wide
