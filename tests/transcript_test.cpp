// The built program, run with its streams on pipes, byte for byte.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "expected_text.h"
#include "process.h"

namespace kestrion {
namespace {

using namespace kestrion::testing;


Finished run(const std::string& input, bool merge_error = false) {
    return run_program({KESTRION_BINARY}, input, merge_error);
}

void expect_transcript(const std::string& input, const std::string& cycles) {
    const Finished f = run(input);
    EXPECT_EQ(f.out, kBannerText + cycles + kEndAtFirstPrompt) << input;
    EXPECT_EQ(f.err, "");
    EXPECT_EQ(f.status, 0);
}

TEST(Transcript, NormalCycleOneValueALine) {
    expect_transcript("0.585\n0.9655985959905\n9.1292e+03\n13270.027243044078\n5.213010e+03\n",
                      kPrompts + kDashLine + kTypicalReport);
}

TEST(Transcript, AllFiveValuesOnOneLine) { expect_transcript(kTypicalInput, kPrompts + kDashLine + kTypicalReport); }

TEST(Transcript, ValuesSpreadOverLinesWithEmptyLinesBetween) {
    expect_transcript("\n0.585 0.9655985959905\n\n\n   9.1292e+03\n\t13270.027243044078\r\n\n5.213010e+03\n",
                      kPrompts + kDashLine + kTypicalReport);
}

TEST(Transcript, ExponentForms) {
    // The typical pair, each value spelled another way.
    expect_transcript("5.85e-1 9655985959905E-13 +91.292E2 1.3270027243044078e4 .521301e+4\n",
                      kPrompts + kDashLine + kTypicalReport);
}

TEST(Transcript, IdenticalStarsShareEqually) {
    expect_transcript("0.8 0.8 6000 6000 5000\n",
                      kPrompts + kDashLine +
                          report("0.800000", "0.800000", "6000.000000", "6000.000000", "0.500000", "0.500000",
                                 "5000.000000"));
}

TEST(Transcript, ZeroRadius) {
    expect_transcript("1 0 5800 4000 5500\n",
                      kPrompts + kDashLine +
                          report("1.000000", "0.000000", "5800.000000", "4000.000000", "1.000000", "0.000000",
                                 "5500.000000"));
}

// Star 1's e^t lies within an extended step of a single midpoint: its
// factor is the store of e^t rounded to 64 bits, the same on every platform.
TEST(Transcript, HardExponentsPrintTheExactDigits) {
    expect_transcript("1 0.79 7963.075 6000 7336.4067\n1 0.5 51797.352 20000 9676.3223\n",
                      kPrompts + kDashLine +
                          report("1.000000", "0.790000", "7963.075195", "6000.000000", "0.790422", "0.209578",
                                 "7336.406738") +
                          kPrompts + kDashLine +
                          report("1.000000", "0.500000", "51797.351562", "20000.000000", "0.929928", "0.070072",
                                 "9676.322266"));
}

TEST(Transcript, ColdStarWritesOneErrorLine) {
    const Finished f = run(kColdInput);
    EXPECT_EQ(f.out, kBannerText + kPrompts + kDashLine + kColdReport + kEndAtFirstPrompt);
    EXPECT_EQ(f.err, kOverflowText);
    EXPECT_EQ(f.status, 0);
}

// The golden transcript pins every text byte for byte (banner, prompts,
// report, overflow line), and the other tests' expected pieces with it.
TEST(Transcript, MatchesTheGoldenSessionWithTheErrorLineBetweenDashesAndReport) {
    std::ifstream file(KESTRION_TEST_DATA "/golden_session.txt", std::ios::binary);
    ASSERT_TRUE(file) << "missing golden transcript";
    const std::string golden{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const Finished f = run(kTypicalInput + kColdInput + kTypicalInput, true);
    EXPECT_EQ(f.out, golden);
    EXPECT_EQ(golden, kBannerText + kPrompts + kDashLine + kTypicalReport + kPrompts + kDashLine + kOverflowText +
                         kColdReport + kPrompts + kDashLine + kTypicalReport + kEndAtFirstPrompt);
    EXPECT_EQ(f.status, 0);
}

TEST(Transcript, UnreadableFieldThenAGoodCycle) {
    // "abc" leaves star1's radius at 0 and takes its line; the next cycle is whole.
    const Finished f = run("abc 0.5\n1 5800 4000 5500\n" + kTypicalInput);
    EXPECT_EQ(f.out, kBannerText + kPrompts + kDashLine +
                         report("0.000000", "1.000000", "5800.000000", "4000.000000", "0.000000", "1.000000",
                                "5500.000000") +
                         kPrompts + kDashLine + kTypicalReport + kEndAtFirstPrompt);
    EXPECT_EQ(f.status, 0);
}

TEST(Transcript, EndOfInputMidCycleAndRightAfterAReport) {
    Finished f = run(kTypicalInput + "0.5 0.5\n");
    EXPECT_EQ(f.out, kBannerText + kPrompts + kDashLine + kTypicalReport +
                         first_prompts(3) + "\n");
    EXPECT_EQ(f.status, 0);
    f = run(kTypicalInput);
    EXPECT_EQ(f.out, kBannerText + kPrompts + kDashLine + kTypicalReport + kEndAtFirstPrompt);
    EXPECT_EQ(f.status, 0);
    f = run("");
    EXPECT_EQ(f.out, kBannerText + kEndAtFirstPrompt);
    EXPECT_EQ(f.status, 0);
}

TEST(Transcript, ArgumentsAreIgnored) {
    const Finished f = run_program({KESTRION_BINARY, "--help", "-x", "file"}, kTypicalInput);
    EXPECT_EQ(f.out, kBannerText + kPrompts + kDashLine + kTypicalReport + kEndAtFirstPrompt);
    EXPECT_EQ(f.err, "");
    EXPECT_EQ(f.status, 0);
}

// A program driving kestrion through pipes sees each prompt before it answers.
TEST(Transcript, PipeDrivenSeesEveryPromptBeforeAnswering) {
    Child child({KESTRION_BINARY});
    const char* values[] = {"0.585\n", "0.9655985959905\n", "9.1292e+03\n", "13270.027243044078\n", "5.213010e+03\n"};
    for (int cycle = 0; cycle < 2; ++cycle) {
        for (int i = 0; i < 5; ++i) {
            ASSERT_TRUE(child.wait_for_output_ending(kPromptTexts[i])) << "cycle " << cycle << ", got: " << child.output();
            child.write(values[i]);
        }
    }
    ASSERT_TRUE(child.wait_for_output_ending(kTypicalReport + kFirstPrompt));
    EXPECT_EQ(child.wait(), 0);
    EXPECT_EQ(child.output(), kBannerText + kPrompts + kDashLine + kTypicalReport + kPrompts + kDashLine + kTypicalReport +
                                  kEndAtFirstPrompt);
}

}  // namespace
}  // namespace kestrion
