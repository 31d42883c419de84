// The C library's conversions as the plain rule some tests hold the
// program to: "%f" for printing and strtod for reading. Both must round an
// exact decimal tie to even, as C asks. Some libraries do not (the UCRT of
// Windows 10 before version 2004 rounded ties away from zero), and there a
// test would fail on the program for the library's fault, so such a test
// first checks the library on known ties and skips with the reason.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace kestrion::testing {

using FixedPrinter = std::string (*)(double value, int decimals);
using DecimalReader = double (*)(const char* text);

inline std::string c_library_fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}
inline double c_library_strtod(const char* text) { return std::strtod(text, nullptr); }

// Empty when `print` rounds each exact tie below to even, else the reason.
inline std::string printf_ties_fault(FixedPrinter print = c_library_fixed) {
    struct Tie {
        double value;
        int decimals;
        const char* even;
    };
    constexpr Tie kTies[] = {
        {0.5, 0, "0"},          {2.5, 0, "2"},           {-0.125, 2, "-0.12"},
        {0.0078125, 6, "0.007812"}, {1234567.125, 2, "1234567.12"}, {8388606.5, 0, "8388606"},
    };
    for (const Tie& tie : kTies) {
        const std::string got = print(tie.value, tie.decimals);
        if (got != tie.even) {
            return "this C library rounds exact ties away from even: \"%." + std::to_string(tie.decimals) + "f\" of " +
                   c_library_fixed(tie.value, 7) + " gives " + got + ", not " + tie.even;
        }
    }
    return "";
}

// Empty when `read` rounds each decimal exactly halfway between two
// doubles below to the even one, else the reason.
inline std::string strtod_ties_fault(DecimalReader read = c_library_strtod) {
    struct Tie {
        const char* text;
        double even;
    };
    const Tie kTies[] = {
        {"9007199254740993", 0x1p53},                                       // 2^53 + 1
        {"1.00000000000000011102230246251565404236316680908203125", 1.0},  // 1 + 2^-53
        {"-2.0000000000000002220446049250313080847263336181640625", -2.0},
        {"0.500000000000000055511151231257827021181583404541015625", 0.5},
    };
    for (const Tie& tie : kTies) {
        const double got = read(tie.text);
        if (got != tie.even) {
            char text[64];
            std::snprintf(text, sizeof text, "%.17g", got);
            return std::string("this C library rounds exact ties away from even: strtod(\"") + tie.text + "\") gives " +
                   text;
        }
    }
    return "";
}

}  // namespace kestrion::testing

// At the start of a test whose reference is the C library's "%f" (or
// strtod): skips it, with the reason, where the library rounds ties wrongly.
#define KESTRION_SKIP_UNLESS_PRINTF_ROUNDS_TIES_TO_EVEN()                                           \
    if (const std::string fault = ::kestrion::testing::printf_ties_fault(); !fault.empty()) \
    GTEST_SKIP() << fault
#define KESTRION_SKIP_UNLESS_STRTOD_ROUNDS_TIES_TO_EVEN()                                           \
    if (const std::string fault = ::kestrion::testing::strtod_ties_fault(); !fault.empty()) \
    GTEST_SKIP() << fault
