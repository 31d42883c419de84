// The division by reciprocal, which every target without a 128-by-64
// division instruction uses, against exact division: on the edges of every
// seed's interval of divisors, where its Newton steps start worst, and on
// random divisors and dividends, with remainders near 0 and near d.
#include "wide_division.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace kestrion::wide {
namespace {

#if defined(__SIZEOF_INT128__)

__extension__ typedef unsigned __int128 Exact;

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
    for (const uint64_t d : divisors(2'000'000)) {
        const Exact want = ~Exact{0} / d - (Exact{1} << 64);
        ASSERT_EQ(reciprocal(d), static_cast<uint64_t>(want)) << d;
    }
}

TEST(ReciprocalDivision, QuotientAndRemainderAreExact) {
    std::mt19937_64 random(7);
    for (const uint64_t d : divisors(200'000)) {
        const uint64_t v = reciprocal(d);
        for (int i = 0; i < 8; ++i) {
            // A quotient and a remainder chosen first, at the edges now and then.
            const uint64_t q = i == 0 ? ~uint64_t{0} : i == 1 ? 0 : random();
            const uint64_t r = i < 4 ? (i % 2 == 0 ? d - 1 : 0) : random() % d;
            const Exact u = Exact{q} * d + r;  // below d · 2^64
            uint64_t got_r = 0;
            const uint64_t got_q = divide_with_reciprocal(static_cast<uint64_t>(u >> 64), static_cast<uint64_t>(u), d, v, got_r);
            ASSERT_EQ(got_q, q) << d << " " << i;
            ASSERT_EQ(got_r, r) << d << " " << i;
        }
    }
}

#endif

}  // namespace
}  // namespace kestrion::wide
