#include "dialogue.h"

#include <array>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "dialogue_texts.h"
#include "number_format.h"
#include "number_reader.h"
#include "star_pair.h"
#include "stream_buffers.h"

namespace kestrion {
namespace {

using texts::Field;

// A text padded to a fixed slot of N bytes, so that writing it is one copy
// of fixed size, which the compiler turns into a few wide moves. The
// padding lands past the text's end, where what follows overwrites it or
// the output's committed end leaves it out, so the room reserved must
// reach a slot past the last text written.
template <size_t N>
struct SlotText {
    static constexpr size_t kSlot = N;
    char bytes[kSlot]{};
    size_t size = 0;
    constexpr SlotText() = default;
    template <class Parts>
    constexpr explicit SlotText(const Parts& parts) {
        for (std::string_view part : parts) {
            for (char c : part) bytes[size++] = c;
        }
    }
    constexpr explicit SlotText(std::string_view text) : SlotText(std::initializer_list<std::string_view>{text}) {}
};
template <size_t N>
char* put(char* out, const SlotText<N>& text) {
    std::memcpy(out, text.bytes, N);
    return out + text.size;
}
template <size_t N>
void write_text(OutputBuffer& output, const SlotText<N>& text) {
    output.commit(put(output.reserve(N), text));
}

// Every prompt and every text before a report value fits a short slot; the
// dashes and the report's end take a long one.
using ShortText = SlotText<32>;
using LongText = SlotText<64>;
constexpr size_t kLongestSlot = LongText::kSlot;

// The dialogue's texts in their slots, each with its field.
struct Prompt {
    ShortText text;
    Field field;
};
constexpr auto kPrompts = [] {
    std::array<Prompt, std::size(texts::kPrompts)> slotted{};
    for (size_t i = 0; i < slotted.size(); ++i) slotted[i] = {ShortText(texts::kPrompts[i].text), texts::kPrompts[i].field};
    return slotted;
}();
constexpr LongText kDashes(texts::kDashLine);
struct ReportValue {
    ShortText before;
    Field field;
};
constexpr auto kReport = [] {
    std::array<ReportValue, std::size(texts::kReport)> slotted{};
    for (size_t i = 0; i < slotted.size(); ++i) slotted[i] = {ShortText(texts::kReport[i].before), texts::kReport[i].field};
    return slotted;
}();
constexpr LongText kReportEnd(texts::kReportEnd);

constexpr size_t report_bound() {
    size_t bound = kReportEnd.size + kLongestSlot;
    for (const ReportValue& line : kReport) bound += line.before.size + kMaxFixed6Length;
    return bound;
}
constexpr size_t kReportBound = report_bound();
static_assert(kReportBound <= OutputBuffer::kCapacity);

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

// The values are formatted first, each into a slot of its own, and only
// then put in place: each value's length depends on a long chain of
// arithmetic, and formatting straight into the output would make every
// value wait for the one before it to find where it starts.
void write_report(OutputBuffer& output, const StarPairValues& values) {
    constexpr size_t kCount = std::size(kReport);
    char texts[kCount][kMaxFixed6Length];
    size_t lengths[kCount];
    for (size_t i = 0; i < kCount; ++i) {
        lengths[i] = static_cast<size_t>(format_fixed6(values.*kReport[i].field, texts[i]) - texts[i]);
    }
    char* out = output.reserve(kReportBound);
    for (size_t i = 0; i < kCount; ++i) {
        out = put(out, kReport[i].before);
        // Sixteen bytes hold every value a report usually has; the rest
        // only when the value is longer.
        std::memcpy(out, texts[i], 16);
        if (lengths[i] > 16) std::memcpy(out + 16, texts[i] + 16, kMaxFixed6Length - 16);
        out += lengths[i];
    }
    output.commit(put(out, kReportEnd));
}

// One cycle; false when the input ended before its fifth value.
bool run_cycle(InputBuffer& input, OutputBuffer& output, StarPairValues& values, OrderedErrorSink& errors) {
    for (const Prompt& prompt : kPrompts) {
        write_text(output, prompt.text);
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
    write_text(output, kDashes);
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
        output.write(texts::kBanner);
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
