// The grammar of a typed value: how much of the text is taken, and whether
// it is a number at all.
#include "number_scanner.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>

#include "read_single.h"

namespace kestrion {
namespace {

using testing::Arrival;
using testing::read_single;

struct Case {
    const char* text;
    size_t consumed;  // 0: not a number
    float value;
};

TEST(ReadGrammar, LongestNumberPrefixIsRead) {
    const Case cases[] = {
        {"5", 1, 5},          {".5", 2, 0.5f},      {"5.", 2, 5},          {"+5", 2, 5},
        {"-.5e1", 5, -5},     {"5e3", 3, 5000},     {"5E+3", 4, 5000},     {"2.5e-1", 6, 0.25f},
        {"  \n\t\r 42 ", 8, 42}, {"5800\r\n", 4, 5800}, {"1e", 2, 1},       {"1e+", 3, 1},
        {"1E-x", 3, 1},       {"1ex", 2, 1},        {"0x10", 1, 0},        {"12abc", 2, 12},
        {"3.25.5", 4, 3.25f}, {"00012", 5, 12},     {"-0", 2, -0.0f},      {"1e0005", 6, 1e5f},
        {"2.5E-", 5, 2.5f},   {"-7e-\n", 4, -7},
    };
    // Whether the bytes lie together in the buffer or arrive a few at a time.
    for (Arrival arrival : {Arrival::together, Arrival::one_byte_a_read, Arrival::three_bytes_a_read}) {
        for (const Case& c : cases) {
            float value = -99;
            EXPECT_EQ(read_single(c.text, value, arrival), c.consumed) << c.text;
            EXPECT_EQ(std::bit_cast<uint32_t>(value), std::bit_cast<uint32_t>(c.value)) << c.text;
        }
    }
}

TEST(ReadGrammar, TextWithoutDigitsIsNotANumber) {
    for (const char* text : {"", "   \n", "-", "+", ".", "-.", "--5", "+-5", "e5", ".e1", "inf", "-inf", "nan",
                             "infinity", "x", "\x01", "abc"}) {
        float value = 7;
        EXPECT_EQ(read_single(text, value), 0u) << text;
        EXPECT_EQ(value, 7) << text;
    }
    float value = 7;
    EXPECT_EQ(read_single(std::string("\0" "5", 2), value), 0u);  // a NUL is not white space
}

}  // namespace
}  // namespace kestrion
