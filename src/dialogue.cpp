#include "dialogue.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "number_format.h"
#include "number_reader.h"
#include "star_pair.h"
#include "stream_buffers.h"

namespace kestrion {
namespace {

using Field = float StarPairValues::*;

constexpr std::string_view kBanner = "\n<<< Kestrion : Ver 2.00 >>>\n\nExit with CTRL+C\n\n";

// The five prompts of a cycle, in order, each with the field it reads.
struct Prompt {
    std::string_view text;
    Field field;
};
constexpr Prompt kPrompts[] = {
    {"star1 radius (0-1) : ", &StarPairValues::star1_radius},
    {"star2 radius (0-1) : ", &StarPairValues::star2_radius},
    {"star1 temperature  : ", &StarPairValues::star1_temperature},
    {"star2 temperature  : ", &StarPairValues::star2_temperature},
    {"wavelength (Angstrom) : ", &StarPairValues::wavelength_angstrom},
};

// 40 hyphens: after the prompts, and closing each report.
constexpr std::string_view kDashes = "----------------------------------------\n";

// The report: each value printed as "%f" between its two texts, then the
// dashes and an empty line.
struct ReportLine {
    std::string_view before;
    Field field;
    std::string_view after;
};
constexpr ReportLine kReport[] = {
    {"Radius\n    star1=", &StarPairValues::star1_radius, "\n"},
    {"    star2=", &StarPairValues::star2_radius, "\n"},
    {"Temperture\n    star1=", &StarPairValues::star1_temperature, "\n"},
    {"    star2=", &StarPairValues::star2_temperature, "\n"},
    {"Luminosity\n    star1=", &StarPairValues::star1_share, "\n"},
    {"    star2=", &StarPairValues::star2_share, "\n"},
    {"WaveLength ", &StarPairValues::wavelength_angstrom, " (Angstrom)\n"},
};
constexpr std::string_view kReportEnd = "\n";

constexpr size_t report_bound() {
    size_t bound = kDashes.size() + kReportEnd.size();
    for (const ReportLine& line : kReport) bound += line.before.size() + kMaxFixed6Length + line.after.size();
    return bound;
}
constexpr size_t kReportBound = report_bound();

// The overflow line must follow the dashed line already buffered for
// standard output, so that goes out first. If that flush fails, the session
// is over: the line is dropped, and the failure is raised once
// compute_shares has completed, to end the dialogue with its one message.
class OrderedErrorSink final : public ErrorLineSink {
public:
    OrderedErrorSink(OutputBuffer& output, ByteSink& error) : output_(output), error_(error) {}

    void write_error_line(std::string_view line) noexcept override {
        if (failure_) return;
        try {
            output_.flush();
        } catch (const StreamError& failure) {
            failure_ = failure;
            return;
        }
        write_last_resort(error_, line);
    }

    void raise_output_failure() {
        if (failure_) throw *failure_;
    }

private:
    OutputBuffer& output_;
    ByteSink& error_;
    std::optional<StreamError> failure_;
};

char* append(char* out, std::string_view text) {
    for (char c : text) *out++ = c;
    return out;
}

void write_report(OutputBuffer& output, const StarPairValues& values) {
    char* out = output.reserve(kReportBound);
    for (const ReportLine& line : kReport) {
        out = append(out, line.before);
        out = format_fixed6(values.*line.field, out);
        out = append(out, line.after);
    }
    out = append(out, kDashes);
    out = append(out, kReportEnd);
    output.commit(out);
}

// One cycle; false when the input ended before its fifth value.
bool run_cycle(InputBuffer& input, OutputBuffer& output, StarPairValues& values, OrderedErrorSink& errors) {
    for (const Prompt& prompt : kPrompts) {
        output.write(prompt.text);
        double value;
        switch (read_value(input, value)) {
            case ReadStatus::number:
                values.*prompt.field = to_single(value);
                break;
            case ReadStatus::unreadable:
                // Keep the old value and drop the rest of the line, so the
                // next prompt waits for fresh input.
                input.discard_line();
                break;
            case ReadStatus::end_of_input:
                return false;
        }
    }
    output.write(kDashes);
    compute_shares(values, errors);
    errors.raise_output_failure();
    write_report(output, values);
    return true;
}

}  // namespace

int run_dialogue(ByteSource& input_source, ByteSink& output_sink, ByteSink& error) {
    // Both buffers are large; keep them off the stack.
    struct Streams {
        Streams(ByteSource& in, ByteSink& out) : output(out), input(in, &output) {}
        OutputBuffer output;
        InputBuffer input;
    };
    auto streams = std::make_unique<Streams>(input_source, output_sink);
    OutputBuffer& output = streams->output;
    InputBuffer& input = streams->input;
    OrderedErrorSink errors(output, error);
    StarPairValues values;

    try {
        output.write(kBanner);
        while (run_cycle(input, output, values, errors)) {
        }
        output.write("\n");
        output.flush();
        return 0;
    } catch (const StreamError& failure) {
        write_last_resort(error, std::string("kestrion: ") + failure.what() + "\n");
        return 1;
    }
}

}  // namespace kestrion
