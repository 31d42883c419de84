// The word-at-a-time decimal steps against the plain rules, digit by
// digit: on every value of the small ranges and at every decimal length's
// edges, and on random values between.
#include "decimal_words.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "text_words.h"

namespace kestrion {
namespace {

int plain_length(uint64_t n) {
    int length = 0;
    for (; n != 0; n /= 10) ++length;
    return length;
}

TEST(DecimalWords, LengthIsTheNumberOfDigits) {
    for (uint64_t n = 0; n < 100'000; ++n) ASSERT_EQ(decimal_length(n), plain_length(n)) << n;
    for (int power = 1; power < 20; ++power) {
        for (const uint64_t n : {kPowersOfTen[power] - 1, kPowersOfTen[power], kPowersOfTen[power] + 1}) {
            ASSERT_EQ(decimal_length(n), plain_length(n)) << n;
        }
    }
    std::mt19937_64 random(5);
    for (int i = 0; i < 1'000'000; ++i) {
        const uint64_t n = random() >> (random() % 64);
        ASSERT_EQ(decimal_length(n), plain_length(n)) << n;
    }
    EXPECT_EQ(decimal_length(~uint64_t{0}), 20);
}

// Eight digits written, and up to eight read back, against snprintf and
// strtoull: every value below 10^6, the edges of every length, random ones.
TEST(DecimalWords, EightDigitsWriteAndReadAsText) {
    std::mt19937_64 random(7);
    char want[16], got[8];
    for (uint64_t i = 0; i < 3'000'000; ++i) {
        const uint64_t n = i < 1'000'000 ? i : i < 1'000'100 ? 99'999'999 - (i - 1'000'000) : random() % 100'000'000;
        std::snprintf(want, sizeof want, "%08llu", static_cast<unsigned long long>(n));
        words::store(got, eight_digits(n));
        ASSERT_EQ(std::string(got, 8), want) << n;
        const int count = 1 + static_cast<int>(i % 8);
        const uint64_t first = std::strtoull(std::string(want, static_cast<size_t>(count)).c_str(), nullptr, 10);
        ASSERT_EQ(digits_value(words::load(want), count), first) << want << " " << count;
    }
}

// Four digits from the pair table, for every value below 10^4.
TEST(DecimalWords, FourDigitsWriteAsText) {
    char want[8], got[8];
    for (uint64_t n = 0; n < 10'000; ++n) {
        std::snprintf(want, sizeof want, "%04llu", static_cast<unsigned long long>(n));
        words::store(got, four_digits(n));
        ASSERT_EQ(std::string(got, 4), want) << n;
        ASSERT_EQ(four_digits(n) >> 32, 0u) << n;
    }
}

}  // namespace
}  // namespace kestrion
