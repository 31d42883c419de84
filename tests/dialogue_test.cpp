#include "dialogue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "c_library_reference.h"
#include "expected_text.h"
#include "memory_streams.h"
#include "recording_sink.h"
#include "star_pair.h"

namespace kestrion {
namespace {

using namespace kestrion::testing;

struct Outcome {
    std::string out;
    std::string err;
    int status;
};

Outcome run(const std::string& input, size_t chunk = SIZE_MAX) {
    MemorySource source(input, chunk);
    MemorySink out, err;
    const int status = run_dialogue(source, out, err);
    return {out.text, err.text, status};
}

TEST(Dialogue, OneCycleThenEndOfInput) {
    const Outcome r = run(kTypicalInput);
    EXPECT_EQ(r.out, kBannerText + kPrompts + kDashLine + kTypicalReport + kEndAtFirstPrompt);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
}

TEST(Dialogue, SameTranscriptWhateverHowTheInputArrives) {
    const std::string input = kTypicalInput + "\n\n 1\n1e\n" + kColdInput + "junk\n0.5 0.5 5800 5800 5500";
    const Outcome whole = run(input);
    for (size_t chunk : {size_t{1}, size_t{2}, size_t{7}}) {
        const Outcome pieces = run(input, chunk);
        EXPECT_EQ(pieces.out, whole.out) << chunk;
        EXPECT_EQ(pieces.err, whole.err) << chunk;
    }
}

// A source that gives one piece of input a read, and notes what the
// dialogue had written by each read: what whoever drives it sees while the
// program waits.
class WatchingSource final : public ByteSource {
public:
    WatchingSource(std::vector<std::string> pieces, const MemorySink& out) : pieces_(std::move(pieces)), out_(out) {}
    size_t read(char* buffer, size_t size) override {
        seen.push_back(out_.text);
        if (next_ == pieces_.size()) return 0;
        const std::string& piece = pieces_[next_++];
        EXPECT_LE(piece.size(), size);
        piece.copy(buffer, piece.size());
        return piece.size();
    }
    std::vector<std::string> seen;

private:
    std::vector<std::string> pieces_;
    size_t next_ = 0;
    const MemorySink& out_;
};

// Values read ahead from the bytes at hand leave their prompts to be
// written later, but whenever the program waits, every prompt up to the
// value it waits for is out, and nothing after it.
TEST(Dialogue, EveryWaitFollowsThePromptItWaitsFor) {
    MemorySink out, err;
    WatchingSource source({"1 2", " 3 4 5\n1 ", "1 5800", " 4000 5500\nx\n", "0.5 0.5\n"}, out);
    EXPECT_EQ(run_dialogue(source, out, err), 0);
    const std::string cycle = kPrompts + kDashLine;
    ASSERT_EQ(source.seen.size(), 6u);
    EXPECT_EQ(source.seen[0], kBannerText + first_prompts(1));
    // "2" may run on: read once more bytes come, after its prompt.
    EXPECT_EQ(source.seen[1], kBannerText + first_prompts(2));
    const size_t first_report = source.seen[2].find(kDashLine) + kDashLine.size();
    EXPECT_EQ(source.seen[2].substr(0, first_report), kBannerText + cycle);
    // The next cycle's "1" was at hand; its prompt went out with the next.
    EXPECT_TRUE(source.seen[2].ends_with(kDashLine + "\n" + first_prompts(2))) << source.seen[2];
    EXPECT_TRUE(source.seen[3].ends_with(kDashLine + "\n" + first_prompts(3))) << source.seen[3];
    // "x" is dropped with its line: the next cycle's first prompt waits.
    EXPECT_TRUE(source.seen[4].ends_with(kDashLine + "\n" + first_prompts(2))) << source.seen[4];
    EXPECT_TRUE(source.seen[5].ends_with(first_prompts(4))) << source.seen[5];
}

TEST(Dialogue, EndOfInputAbandonsTheCycle) {
    // Mid-cycle: three values read, no report.
    Outcome r = run("1 2 3");
    EXPECT_EQ(r.out, kBannerText + first_prompts(4) + "\n");
    EXPECT_EQ(r.status, 0);
    // Empty input: the banner, the first prompt, a line end.
    r = run("");
    EXPECT_EQ(r.out, kBannerText + kEndAtFirstPrompt);
    // White space only is no value either.
    r = run("\n \t\r\n");
    EXPECT_EQ(r.out, kBannerText + kEndAtFirstPrompt);
}

TEST(Dialogue, UnreadableTextKeepsTheOldValueAndDropsTheLine) {
    // The first cycle sets every field; in the second, "oops 9" is dropped
    // whole, so star2's radius keeps 0.9655… and the rest come from the next line.
    const std::string input = kTypicalInput + "0.585\noops 9\n9.1292e+03 13270.027243044078 5.213010e+03\n";
    const Outcome r = run(input);
    EXPECT_EQ(r.out, kBannerText + kPrompts + kDashLine + kTypicalReport + kPrompts + kDashLine + kTypicalReport +
                         kEndAtFirstPrompt);
}

TEST(Dialogue, UnreadableAndCutShortFields) {
    const struct {
        const char* input;
        std::string report;
    } cases[] = {
        {"x\n1 5800 4000 5500\n",
         report("0.000000", "1.000000", "5800.000000", "4000.000000", "0.000000", "1.000000", "5500.000000")},
        // "1e" reads 1, its "e" taken with it, so the line completes the cycle.
        {"1 1e 5800 4000 5500\n",
         report("1.000000", "1.000000", "5800.000000", "4000.000000", "0.884857", "0.115143", "5500.000000")},
    };
    for (const auto& c : cases) {
        const Outcome r = run(c.input);
        EXPECT_EQ(r.out, kBannerText + kPrompts + kDashLine + c.report + kEndAtFirstPrompt) << c.input;
    }
}

TEST(Dialogue, OverflowLineFallsBetweenDashesAndReport) {
    // Both streams into one sink, as with 2>&1.
    const std::string input = kColdInput + kColdInput;
    MemorySource source(input);
    MemorySink both;
    EXPECT_EQ(run_dialogue(source, both, both), 0);
    const std::string cycle = kPrompts + kDashLine + kOverflowText + kColdReport;
    EXPECT_EQ(both.text, kBannerText + cycle + cycle + kEndAtFirstPrompt);
}

std::string printf_fixed6(float value) {
    if (std::isnan(value)) return "nan";
    char text[64];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
    return text;
}

// Report values of every printed length, from "inf" to the 47 characters
// of -1.5e38, each in every place of the report over the cycles, against
// the C library's "%f" of the stored value: the report puts each value
// in place by a copy of fixed size, which must cut none short and leave no
// padding behind.
TEST(Dialogue, ReportValuesOfEveryLengthMatchPrintf) {
    KESTRION_SKIP_UNLESS_PRINTF_ROUNDS_TIES_TO_EVEN();
    std::vector<float> values = {INFINITY, -INFINITY, 0.0f, -0.0f, 0.5f, -0.5f};
    for (int digits = 1; digits <= 39; ++digits) {
        const float v = static_cast<float>(1.5 * std::pow(10.0, digits - 1));
        values.push_back(v);
        values.push_back(-v);
    }
    std::string input, want = kBannerText;
    StarPairValues record;
    RecordingSink errors;
    for (size_t cycle = 0; cycle < values.size(); ++cycle) {
        float* const typed[] = {&record.star1_radius, &record.star2_radius, &record.star1_temperature,
                                &record.star2_temperature, &record.wavelength_angstrom};
        for (size_t i = 0; i < std::size(typed); ++i) {
            *typed[i] = values[(cycle + 7 * i) % values.size()];
            char text[32];
            std::snprintf(text, sizeof text, "%.9g ", static_cast<double>(*typed[i]));  // names the single exactly
            input += std::isinf(*typed[i]) ? (*typed[i] > 0 ? "1e39 " : "-1e39 ") : text;
        }
        input += '\n';
        compute_shares(record, errors);
        want += kPrompts + kDashLine +
                report(printf_fixed6(record.star1_radius), printf_fixed6(record.star2_radius),
                       printf_fixed6(record.star1_temperature), printf_fixed6(record.star2_temperature),
                       printf_fixed6(record.star1_share), printf_fixed6(record.star2_share),
                       printf_fixed6(record.wavelength_angstrom));
    }
    EXPECT_EQ(run(input).out, want + kEndAtFirstPrompt);
}

// Takes the first write (the banner and first prompt, flushed before the
// first read) and fails every one after it.
class FailingSink final : public ByteSink {
public:
    void write(const char*, size_t) override {
        if (writes_++ > 0) throw StreamError("cannot write standard output: Broken pipe");
    }

private:
    int writes_ = 0;
};

// Output fails when the buffer fills, or first when a cold star's overflow
// line flushes it: either way one line, and no overflow line after it.
TEST(Dialogue, OutputFailureEndsWithStatusOneAndOneLine) {
    for (const std::string& cycle : {kTypicalInput, kColdInput}) {
        std::string input;
        for (int i = 0; i < 5000; ++i) input += cycle;
        MemorySource source(input);
        FailingSink out;
        MemorySink err;
        EXPECT_EQ(run_dialogue(source, out, err), 1);
        EXPECT_EQ(err.text, "kestrion: cannot write standard output: Broken pipe\n");
    }
}

}  // namespace
}  // namespace kestrion
