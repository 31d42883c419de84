// The division by reciprocal, which every target without a 128-by-64
// division instruction uses, and the division the program calls, against
// GMP's exact division: on the edges of every seed's interval of divisors,
// where its Newton steps start worst, and on random divisors and
// dividends, with remainders near 0 and near d.
#include "wide_division.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "gmp_wide.h"

namespace kestrion::wide {
namespace {

using testing::Mpz;
using testing::set_word;
using testing::set_words;
using testing::words_of;

std::vector<uint64_t> divisors(int random_count) {
    std::vector<uint64_t> ds = {uint64_t{1} << 63, ~uint64_t{0}, (uint64_t{1} << 63) + 1, ~uint64_t{0} - 1};
    for (uint64_t d9 = 256; d9 < 512; ++d9) {
        for (uint64_t offset : {uint64_t{0}, uint64_t{1}, (uint64_t{1} << 55) - 1, (uint64_t{1} << 55) - 2,
                                uint64_t{1} << 54, (uint64_t{1} << 24) - 1, uint64_t{1} << 24}) {
            ds.push_back((d9 << 55) + offset);
        }
    }
    std::mt19937_64 random(20261209);
    for (int i = 0; i < random_count; ++i) {
        const uint64_t bits = random() | (uint64_t{1} << 63);
        ds.push_back(i % 4 == 0 ? bits | (random() >> (random() % 64)) : bits);  // runs of ones too
    }
    return ds;
}

TEST(ReciprocalDivision, ReciprocalIsExact) {
    Mpz numerator, divisor, want;
    mpz_setbit(numerator, 128);
    mpz_sub_ui(numerator, numerator, 1);  // 2^128 - 1
    for (const uint64_t d : divisors(2'000'000)) {
        set_word(divisor, d);
        mpz_fdiv_q(want, numerator, divisor);
        mpz_clrbit(want, 64);  // less 2^64: the quotient lies in [2^64, 2^65)
        ASSERT_EQ(reciprocal(d), words_of(want).low()) << d;
    }
}

TEST(ReciprocalDivision, QuotientAndRemainderAreExact) {
    std::mt19937_64 random(7);
    Mpz u, divisor, rest;
    for (const uint64_t d : divisors(200'000)) {
        const uint64_t v = reciprocal(d);
        set_word(divisor, d);
        for (int i = 0; i < 8; ++i) {
            // A quotient and a remainder chosen first, at the edges now and then.
            const uint64_t q = i == 0 ? ~uint64_t{0} : i == 1 ? 0 : random();
            const uint64_t r = i < 4 ? (i % 2 == 0 ? d - 1 : 0) : random() % d;
            set_word(u, q);
            mpz_mul(u, u, divisor);
            set_word(rest, r);
            mpz_add(u, u, rest);  // q · d + r, below d · 2^64
            const testing::Words w = words_of(u);
            uint64_t got_r = 0;
            ASSERT_EQ(divide_with_reciprocal(w.high(), w.low(), d, v, got_r), q) << d << " " << i;
            ASSERT_EQ(got_r, r) << d << " " << i;
            // The program's division, by the target's instruction where it has one.
            got_r = 0;
            ASSERT_EQ(divide(w.high(), w.low(), d, got_r), q) << d << " " << i;
            ASSERT_EQ(got_r, r) << d << " " << i;
        }
    }
}

}  // namespace
}  // namespace kestrion::wide
