// The pair-of-words form of the 128-bit steps against the compiler's own
// 128-bit integer, on random operands of every size and on the edges.
#include "wide_integer.h"

#include <gtest/gtest.h>

#include <random>

namespace kestrion::wide {
namespace {

#if defined(__SIZEOF_INT128__)

bool same(two_words::Uint128 a, builtin::Uint128 b) { return a.high == builtin::high(b) && a.low == builtin::low(b); }

TEST(WideInteger, PairOfWordsMatchesTheBuiltIn) {
    std::mt19937_64 random(20261208);
    // Random bits, some cut short at either end, so that small values,
    // zeros, full words and carries all occur.
    auto word = [&]() -> uint64_t {
        const uint64_t bits = random() >> (random() % 64);
        return random() % 3 == 0 ? bits << (random() % 64) : bits;
    };
    for (int i = 0; i < 1'000'000; ++i) {
        const uint64_t ah = word(), al = word();
        // Now and then b equals a, or a in one of its halves.
        const uint64_t bh = i % 7 == 0 ? ah : word(), bl = i % 5 == 0 ? al : word();
        const auto pa = two_words::make(ah, al), pb = two_words::make(bh, bl);
        const auto ba = builtin::make(ah, al), bb = builtin::make(bh, bl);
        ASSERT_EQ(two_words::less(pa, pb), builtin::less(ba, bb));
        ASSERT_EQ(two_words::equal(pa, pb), builtin::equal(ba, bb));
        ASSERT_TRUE(two_words::equal(pa, two_words::make(ah, al)));
        ASSERT_TRUE(same(two_words::add(pa, pb), builtin::add(ba, bb)));
        if (!builtin::less(ba, bb)) {
            ASSERT_TRUE(same(two_words::subtract(pa, pb), builtin::subtract(ba, bb)));
        }
        ASSERT_TRUE(same(two_words::multiply(al, bl), builtin::multiply(al, bl)));
        if (!builtin::is_zero(ba)) {
            ASSERT_EQ(two_words::leading_zeros(pa), builtin::leading_zeros(ba));
        }
        const int n = static_cast<int>(random() % 128);
        ASSERT_TRUE(same(two_words::shift_left(pa, n), builtin::shift_left(ba, n))) << n;
        ASSERT_TRUE(same(two_words::shift_right(pa, n), builtin::shift_right(ba, n))) << n;
        const int64_t m = static_cast<int64_t>(random() % 140);
        ASSERT_TRUE(same(two_words::shift_right_jam(pa, m), builtin::shift_right_jam(ba, m))) << m;
    }
}

#endif

}  // namespace
}  // namespace kestrion::wide
