// The big integer's steps against GMP's, on random operands of every size
// up to its capacity, built limb by limb through its own steps.
#include "big_integer.h"

#include <gmp.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <random>

namespace kestrion {
namespace {

using Integer = BigInteger<120>;

class Mpz {
public:
    Mpz() { mpz_init(value); }
    ~Mpz() { mpz_clear(value); }
    Mpz(const Mpz&) = delete;
    Mpz& operator=(const Mpz&) = delete;
    mpz_t value;
};

// A random value of up to `bits` bits, sometimes with long runs of ones
// or zeros, where carries and borrows travel far.
void random_value(std::mt19937_64& random, int bits, mpz_t out) {
    mpz_set_ui(out, 0);
    const int length = 1 + static_cast<int>(random() % static_cast<uint64_t>(bits));
    for (int i = 0; i < length; i += 32) {
        const uint64_t shape = random() % 4;
        const uint32_t limb = shape == 0 ? 0xffffffffu : shape == 1 ? 0 : static_cast<uint32_t>(random());
        mpz_mul_2exp(out, out, 32);
        mpz_add_ui(out, out, limb);
    }
    mpz_fdiv_r_2exp(out, out, static_cast<mp_bitcnt_t>(length));
}

Integer from_mpz(const mpz_t x) {
    Integer result;
    const size_t limbs = (mpz_sizeinbase(x, 2) + 31) / 32;
    for (size_t i = limbs; i-- > 0;) {
        result.shift_left(32);
        Mpz limb;
        mpz_fdiv_q_2exp(limb.value, x, static_cast<mp_bitcnt_t>(32 * i));
        mpz_fdiv_r_2exp(limb.value, limb.value, 32);
        result.multiply_add(1, static_cast<uint32_t>(mpz_get_ui(limb.value)));
    }
    return result;
}

void expect_equal(const Integer& got, const mpz_t want) {
    EXPECT_EQ(got.compare(from_mpz(want)), 0);
    EXPECT_EQ(got.bit_length(), mpz_sgn(want) == 0 ? 0 : static_cast<int>(mpz_sizeinbase(want, 2)));
}

TEST(BigInteger, EveryStepMatchesGmp) {
    std::mt19937_64 random(42);
    for (int i = 0; i < 20'000; ++i) {
        Mpz a, b, want, q;
        random_value(random, Integer::kBits - 100, a.value);
        random_value(random, Integer::kBits - 100, b.value);
        const Integer x = from_mpz(a.value), y = from_mpz(b.value);

        EXPECT_EQ(x.compare(y), (mpz_cmp(a.value, b.value) > 0) - (mpz_cmp(a.value, b.value) < 0));
        Integer larger = mpz_cmp(a.value, b.value) >= 0 ? x : y;
        larger.subtract(mpz_cmp(a.value, b.value) >= 0 ? y : x);
        mpz_sub(want.value, a.value, b.value);
        mpz_abs(want.value, want.value);
        expect_equal(larger, want.value);

        const auto factor = static_cast<uint32_t>(random()), addend = static_cast<uint32_t>(random());
        Integer product = x;
        product.multiply_add(factor, addend);
        mpz_mul_ui(want.value, a.value, factor);
        mpz_add_ui(want.value, want.value, addend);
        expect_equal(product, want.value);

        const int shift = static_cast<int>(random() % 100);
        Integer shifted = x;
        shifted.shift_left(shift);
        mpz_mul_2exp(want.value, a.value, static_cast<mp_bitcnt_t>(shift));
        expect_equal(shifted, want.value);

        const uint32_t divisor = static_cast<uint32_t>(random() >> (random() % 64)) | 1;
        Integer small_quotient = x;
        const uint32_t small_remainder = small_quotient.divide_by_limb(divisor);
        EXPECT_EQ(small_remainder, mpz_fdiv_q_ui(want.value, a.value, divisor));
        expect_equal(small_quotient, want.value);

        // a = b·q + r with q < 2^64 and r < b: the quotient and remainder.
        if (mpz_sgn(b.value) == 0) continue;
        const uint64_t quotient = random() >> (random() % 64);
        mpz_set_ui(q.value, static_cast<unsigned long>(quotient >> 32));
        mpz_mul_2exp(q.value, q.value, 32);
        mpz_add_ui(q.value, q.value, static_cast<unsigned long>(quotient & 0xffffffff));
        mpz_mul(want.value, b.value, q.value);
        Mpz remainder;
        mpz_fdiv_r(remainder.value, a.value, b.value);
        mpz_add(want.value, want.value, remainder.value);
        Integer dividend = from_mpz(want.value);
        ASSERT_EQ(dividend.divide(y), quotient);
        expect_equal(dividend, remainder.value);
    }
}

}  // namespace
}  // namespace kestrion
