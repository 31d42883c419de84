#include "dialogue.h"

#include <memory>
#include <string>
#include <string_view>

#include "number_format.h"
#include "number_reader.h"
#include "star_pair.h"

namespace kestrion {
namespace {

constexpr std::string_view kBanner = "\n<<< Kestrion : Ver 2.00 >>>\n\nExit with CTRL+C\n\n";
constexpr std::string_view kDashes = "----------------------------------------\n";

struct Prompt {
    std::string_view text;
    float StarPairValues::*field;
};

constexpr Prompt kPrompts[] = {
    {"star1 radius (0-1) : ", &StarPairValues::star1_radius},
    {"star2 radius (0-1) : ", &StarPairValues::star2_radius},
    {"star1 temperature  : ", &StarPairValues::star1_temperature},
    {"star2 temperature  : ", &StarPairValues::star2_temperature},
    {"wavelength (Angstrom) : ", &StarPairValues::wavelength_angstrom},
};

// The overflow line must follow the dashed line already buffered for
// standard output, so that goes out first.
class OrderedErrorSink final : public ErrorLineSink {
public:
    OrderedErrorSink(OutputBuffer& output, ByteSink& error) : output_(output), error_(error) {}
    void write_error_line(std::string_view line) override {
        output_.flush();
        try {
            error_.write(line.data(), line.size());
        } catch (const StreamError&) {
            // Nowhere left to report it; the report itself still goes out.
        }
    }

private:
    OutputBuffer& output_;
    ByteSink& error_;
};

char* append(char* out, std::string_view text) {
    for (char c : text) *out++ = c;
    return out;
}

char* append_value(char* out, std::string_view before, float value, std::string_view after) {
    out = append(out, before);
    out = format_fixed6(value, out);
    return append(out, after);
}

void write_report(OutputBuffer& output, const StarPairValues& v) {
    constexpr size_t kReportBound = 256 + 7 * kMaxFixed6Length;
    char* out = output.reserve(kReportBound);
    out = append_value(out, "Radius\n    star1=", v.star1_radius, "\n");
    out = append_value(out, "    star2=", v.star2_radius, "\n");
    out = append_value(out, "Temperture\n    star1=", v.star1_temperature, "\n");
    out = append_value(out, "    star2=", v.star2_temperature, "\n");
    out = append_value(out, "Luminosity\n    star1=", v.star1_share, "\n");
    out = append_value(out, "    star2=", v.star2_share, "\n");
    out = append_value(out, "WaveLength ", v.wavelength_angstrom, " (Angstrom)\n");
    out = append(out, kDashes);
    out = append(out, "\n");
    output.commit(out);
}

// One cycle; false when the input ended before its fifth value.
bool run_cycle(InputBuffer& input, OutputBuffer& output, StarPairValues& values, ErrorLineSink& errors) {
    DecimalNumber number;
    for (const Prompt& prompt : kPrompts) {
        output.write(prompt.text);
        switch (scan_number(input, number)) {
            case ReadStatus::number:
                values.*prompt.field = to_single(number);
                break;
            case ReadStatus::not_a_number:
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
    write_report(output, values);
    return true;
}

void report_failure(ByteSink& error, const StreamError& failure) {
    const std::string line = std::string("kestrion: ") + failure.what() + "\n";
    try {
        error.write(line.data(), line.size());
    } catch (const StreamError&) {
    }
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
        report_failure(error, failure);
        return 1;
    }
}

}  // namespace kestrion
