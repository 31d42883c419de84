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
// All five prompts and the dashes, as a cycle whose values were all in
// the input already writes them, in a slot of their length rounded up to
// 16 bytes.
constexpr std::array<std::string_view, std::size(texts::kPrompts) + 1> kPromptAndDashParts = [] {
    std::array<std::string_view, std::size(texts::kPrompts) + 1> parts{};
    for (size_t i = 0; i < std::size(texts::kPrompts); ++i) parts[i] = texts::kPrompts[i].text;
    parts.back() = texts::kDashLine;
    return parts;
}();
constexpr size_t kPromptsAndDashesLength = [] {
    size_t length = 0;
    for (std::string_view part : kPromptAndDashParts) length += part.size();
    return length;
}();
constexpr SlotText<(kPromptsAndDashesLength + 15) / 16 * 16> kPromptsAndDashes(kPromptAndDashParts);
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

// The report, each value formatted in place after its text: a fixed copy
// of the text's slot, then the value, over the slot's padding.
void write_report(OutputBuffer& output, const StarPairValues& values) {
    char* out = output.reserve(kReportBound);
    for (const ReportValue& line : kReport) out = format_fixed6(values.*line.field, put(out, line.before));
    output.commit(put(out, kReportEnd));
}

// One cycle; false when the input ended before its fifth value.
//
// The values the input holds already are read first, and their prompts
// written after them: the output is the same, as nothing goes out before
// the program waits. When all five were there, the prompts and the dashes
// go out as one copy. Otherwise every prompt up to the first value not
// read yet is written before that value is read, which may wait (and so
// first flushes the output, that prompt with it), and the rest of the
// cycle reads and writes one prompt at a time.
bool run_cycle(InputBuffer& input, OutputBuffer& output, StarPairValues& values, OrderedErrorSink& errors) {
    constexpr size_t kFields = std::size(kPrompts);
    double read[kFields];
    ReadStatus status = ReadStatus::number;
    const size_t ready = read_buffered_values(input, read, kFields, status);
    for (size_t i = 0; i < ready; ++i) values.*kPrompts[i].field = to_single(read[i]);
    if (ready == kFields) [[likely]] {
        write_text(output, kPromptsAndDashes);
    } else {
        for (size_t i = 0; i < ready; ++i) write_text(output, kPrompts[i].text);
        for (size_t i = ready; i < kFields; ++i) {
            write_text(output, kPrompts[i].text);
            double value;
            // The first of them was found unreadable already, or not read yet.
            switch (i == ready && status == ReadStatus::unreadable ? status : read_value(input, value)) {
                case ReadStatus::number:
                    values.*kPrompts[i].field = to_single(value);
                    break;
                case ReadStatus::unreadable:
                    // Keep the old value and drop the rest of the line, so
                    // the next prompt waits for fresh input.
                    input.discard_line();
                    break;
                case ReadStatus::end_of_input:
                case ReadStatus::needs_input:
                    return false;
            }
        }
        write_text(output, kDashes);
    }
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
