// The built program against hostile input and failing output.
#include <signal.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "expected_text.h"
#include "process.h"

namespace kestrion {
namespace {

using namespace kestrion::testing;

constexpr size_t kMiB = size_t{1} << 20;
constexpr size_t kGiB = size_t{1} << 30;
// Fixed buffers, whatever the input; sanitizer runtimes add their own.
constexpr int64_t kPeakMemoryBytes = 16 * kMiB;
// Any program with the C and C++ libraries mapped has more resident than
// this: a smaller figure is one read in the wrong unit.
constexpr int64_t kLeastMemoryBytes = kMiB;

// The typical pair after its first value.
const std::string kTypicalTail = " 0.9655985959905 9.1292e+03 13270.027243044078 5.213010e+03\n";

// `count` bytes of `fill`, then `tail`, produced piece by piece.
Feed repeated(char fill, size_t count, std::string tail) {
    return [=, left = count, at = size_t{0}](char* buffer, size_t size) mutable {
        if (left > 0) {
            const size_t n = std::min(size, left);
            std::memset(buffer, fill, n);
            left -= n;
            return n;
        }
        const size_t n = std::min(size, tail.size() - at);
        std::memcpy(buffer, tail.data() + at, n);
        at += n;
        return n;
    };
}

void expect_bounded_memory(const Finished& f) {
#ifndef KESTRION_MEMORY_UNMEASURED
    EXPECT_LT(f.peak_rss_bytes, kPeakMemoryBytes);
    EXPECT_GT(f.peak_rss_bytes, kLeastMemoryBytes);
#else
    (void)f;
#endif
}

// A line of letters far longer than any buffer: star1's radius keeps its 0,
// and the next line fills the other four.
void expect_long_line_of_letters_discarded(size_t size) {
    const Finished f = run_program(Launch{{KESTRION_BINARY}}, repeated('x', size, "\n" + kTypicalTail));
    EXPECT_EQ(f.out, kBannerText + kPrompts + kDashLine +
                         report("0.000000", "0.965599", "9129.200195", "13270.027344", "0.000000", "1.000000",
                                "5213.009766") +
                         kEndAtFirstPrompt);
    EXPECT_EQ(f.status, 0);
    expect_bounded_memory(f);
}

TEST(HostileInput, LongLineOfLettersIsDiscarded) { expect_long_line_of_letters_discarded(16 * kMiB); }
TEST(HostileInputSweep, GibibyteLineOfLettersIsDiscarded) { expect_long_line_of_letters_discarded(kGiB); }

// A radius of millions of digits is far past single range: inf, so its
// share is inf/inf.
void expect_long_run_of_digits_read_as_one_number(size_t size) {
    const Finished f = run_program(Launch{{KESTRION_BINARY}}, repeated('7', size, kTypicalTail));
    EXPECT_EQ(f.out, kBannerText + kPrompts + kDashLine +
                         report("inf", "0.965599", "9129.200195", "13270.027344", "nan", "nan", "5213.009766") +
                         kEndAtFirstPrompt);
    EXPECT_EQ(f.status, 0);
    expect_bounded_memory(f);
}

TEST(HostileInput, LongRunOfDigitsIsOneNumber) { expect_long_run_of_digits_read_as_one_number(16 * kMiB); }
TEST(HostileInputSweep, GibibyteOfDigitsIsOneNumber) { expect_long_run_of_digits_read_as_one_number(kGiB); }

TEST(HostileInput, LongLiteralsAndExponentsRoundCorrectly) {
    // 0.585 followed by 100,000 zeros and a 1, and an exponent of 400 digits:
    // both still read as 0.585 and 9129.2 do.
    const std::string radius = "0.585" + std::string(100'000, '0') + "1";
    const std::string temperature = "9.1292e" + std::string(399, '0') + "3";
    const Finished f = run_program({KESTRION_BINARY},
                                   radius + " 0.9655985959905 " + temperature + " 13270.027243044078 5.213010e+03\n");
    EXPECT_EQ(f.out, kBannerText + kPrompts + kDashLine + kTypicalReport + kEndAtFirstPrompt);
    EXPECT_EQ(f.status, 0);
}

TEST(HostileInput, MalformedNumbersKeepTheOldValues) {
    // After a full cycle, four fields of the next are unreadable and keep
    // their values, so it repeats the first report. In the third, exponent
    // markers with nothing after them are taken with their numbers, which
    // read as the digits before them.
    const std::string input = kTypicalInput + "-\n.\n+.\n--5\n5.213010e+03\n" +
                              "0.585e 0.9655985959905 9.1292e+03 13270.027243044078e 5213.010E+\n";
    const Finished f = run_program({KESTRION_BINARY}, input);
    const std::string cycle = kPrompts + kDashLine + kTypicalReport;
    EXPECT_EQ(f.out, kBannerText + cycle + cycle + cycle + kEndAtFirstPrompt);
    EXPECT_EQ(f.err, "");
    EXPECT_EQ(f.status, 0);
}

TEST(HostileInput, NulBytesAreUnreadableText) {
    // 0.585 reads; the NUL after it is where star2's radius fails, taking the
    // rest of that line with it.
    const std::string input = std::string("0.585\0 0.5\n", 11) + "9.1292e+03 13270.027243044078 5.213010e+03\n" +
                              std::string("\0\0\0\n", 4);
    const Finished f = run_program({KESTRION_BINARY}, input);
    EXPECT_EQ(f.out, kBannerText + kPrompts + kDashLine +
                         report("0.585000", "0.000000", "9129.200195", "13270.027344", "1.000000", "0.000000",
                                "5213.009766") +
                         first_prompts(2) + "\n");
    EXPECT_EQ(f.status, 0);
}

TEST(HostileInput, CrLfLineEnds) {
    const Finished f = run_program(
        {KESTRION_BINARY}, "0.585\r\n0.9655985959905\r\n9.1292e+03\r\n13270.027243044078\r\n5.213010e+03\r\n");
    EXPECT_EQ(f.out, kBannerText + kPrompts + kDashLine + kTypicalReport + kEndAtFirstPrompt);
}

TEST(HostileInput, ClosedStandardInputIsAReadFailure) {
    Launch launch{{KESTRION_BINARY}};
    launch.close_input = true;
    const Finished f = run_program(launch, "");
    EXPECT_EQ(f.err, "kestrion: cannot read standard input: Bad file descriptor\n");
    EXPECT_EQ(f.status, 1);
}

std::string catalogue(int cycles) {
    std::string text;
    for (int i = 0; i < cycles; ++i) text += kTypicalInput;
    return text;
}

void expect_write_failure(Output output, const std::string& cause) {
    Launch launch{{KESTRION_BINARY}};
    launch.output = output;
    const Finished f = run_program(launch, catalogue(10));
    EXPECT_EQ(f.err, "kestrion: cannot write standard output: " + cause + "\n");
    EXPECT_EQ(f.status, 1) << cause;
}

TEST(OutputFailure, EndsWithStatusOneAndALineNamingTheFailure) {
    expect_write_failure(Output::broken_pipe, "Broken pipe");  // SIGPIPE ignored
#ifndef _WIN32  // Windows starts no program without a standard output
    expect_write_failure(Output::closed, "Bad file descriptor");
#endif
}

TEST(OutputFailure, FullDeviceEndsWithStatusOne) {
    if (!dev_full_opens()) {
        GTEST_SKIP() << "this system has no /dev/full to open (macOS and Windows have none)";
    }
    expect_write_failure(Output::dev_full, "No space left on device");
}

#ifdef __linux__
// Linux always lets a program open the device: there the test above runs.
TEST(OutputFailure, FullDeviceOpensOnLinux) { EXPECT_TRUE(dev_full_opens()); }
#endif

TEST(OutputFailure, ReaderLeavingEndsQuietlyWithSigpipeAtDefault) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no SIGPIPE: a reader that goes is a write failure, tested above";
#else
    // As in `kestrion < catalogue | head`: the reader takes a little and goes.
    Launch launch{{KESTRION_BINARY}};
    launch.ignore_sigpipe = false;
    launch.output_limit = 1000;
    const Finished f = run_program(launch, catalogue(100'000));
    EXPECT_EQ(f.err, "");
    EXPECT_EQ(f.status, 128 + SIGPIPE);
#endif
}

}  // namespace
}  // namespace kestrion
