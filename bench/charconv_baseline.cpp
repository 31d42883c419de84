// For comparison only: the dialogue of stdio_baseline.cpp as a programmer
// after speed would write it with the standard library and nothing of
// Kestrion's own input or output: standard input read in large blocks, each
// value parsed with std::from_chars to double and stored to single (as
// scanf's "%lf" and the cast do there), each value printed with
// std::to_chars in the form of printf's "%f", and the output written in
// large blocks. The computation is the same kestrion::compute_shares, so
// only reading and writing differ. Not installed.
//
// Ordinary input gives the same bytes as stdio_baseline. Where that program
// would stop on text that is not a number (scanf leaves it in place, and
// every later prompt fails on it again), this one keeps the field's value
// and skips the rest of the line.
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <system_error>
#include <vector>

#include "arithmetic_platform.h"
#include "dialogue_texts.h"
#include "star_pair.h"

namespace {

constexpr std::size_t kBlock = 64 * 1024;

[[noreturn]] void fail(const char* stream) {
    std::fprintf(stderr, "charconv_baseline: %s: %s\n", stream, std::strerror(errno));
    std::exit(1);
}

class Output {
public:
    void put(std::string_view text) {
        if (text.size() > kBlock - used_) flush();  // every text is far shorter than a block
        std::memcpy(buffer_ + used_, text.data(), text.size());
        used_ += text.size();
    }

    // As printf("%f", value) prints it: the single widened to double, six
    // decimals, rounded exactly.
    void put_fixed(float value) {
        // The longest is -FLT_MAX: a sign, 39 digits, the point and 6 decimals.
        constexpr std::size_t kLongest = 47;
        if (kLongest > kBlock - used_) flush();
        const auto result =
            std::to_chars(buffer_ + used_, buffer_ + kBlock, static_cast<double>(value), std::chars_format::fixed, 6);
        used_ = static_cast<std::size_t>(result.ptr - buffer_);
    }

    void flush() {
        const char* next = buffer_;
        const char* const end = buffer_ + used_;
        while (next < end) {
            const ssize_t written = ::write(STDOUT_FILENO, next, static_cast<std::size_t>(end - next));
            if (written < 0) {
                if (errno == EINTR) continue;
                fail("standard output");
            }
            next += written;
        }
        used_ = 0;
    }

private:
    char buffer_[kBlock];
    std::size_t used_ = 0;
};

enum class Read { number, unreadable, end_of_input };

// Standard input, a block at a time. A value is parsed where it lies, once
// the buffer holds the white space that ends it (or the input has ended);
// one that runs past the bytes read so far is moved to the front and the
// buffer refilled behind it, growing the buffer for a value longer than it.
class Input {
public:
    explicit Input(Output& output) : output_(output), buffer_(kBlock + 1) {}

    Read read_value(double& value) {
        for (;;) {
            while (next_ < end_ && is_space(buffer_[next_])) ++next_;
            if (next_ < end_) break;
            if (!refill()) return Read::end_of_input;
        }
        while (next_ >= complete_end_ && !ended_) refill();

        const char* const first = buffer_.data() + next_;
        const char* const last = buffer_.data() + end_;
        // from_chars takes no plus sign before the number.
        const char* digits = first;
        if (*digits == '+') {
            ++digits;
            if (digits < last && *digits == '-') return Read::unreadable;
        }
        const auto result = std::from_chars(digits, last, value);
        if (result.ec == std::errc::invalid_argument) return Read::unreadable;
        if (result.ec == std::errc::result_out_of_range) {
            // from_chars leaves the value as it was; strtod, scanf's own
            // conversion, gives the infinity or the zero that scanf stores.
            // The byte after the data is a NUL, so it stops there at most.
            value = std::strtod(first, nullptr);
        }
        next_ = static_cast<std::size_t>(result.ptr - buffer_.data());
        return Read::number;
    }

    // Drops the input up to and including the next line end.
    void discard_line() {
        for (;;) {
            const void* line_end = std::memchr(buffer_.data() + next_, '\n', end_ - next_);
            if (line_end != nullptr) {
                next_ = static_cast<std::size_t>(static_cast<const char*>(line_end) - buffer_.data()) + 1;
                return;
            }
            next_ = end_;
            if (!refill()) return;
        }
    }

private:
    static bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

    // Keeps the unread bytes, moved to the front, and reads what follows
    // them; false when the input has ended. Whatever is buffered for
    // standard output goes out first: the program is about to wait.
    bool refill() {
        if (ended_) return false;
        output_.flush();
        const std::size_t kept = end_ - next_;
        std::memmove(buffer_.data(), buffer_.data() + next_, kept);
        next_ = 0;
        end_ = kept;
        if (end_ == capacity()) buffer_.resize(2 * capacity() + 1);
        ssize_t got;
        do {
            got = ::read(STDIN_FILENO, buffer_.data() + end_, capacity() - end_);
        } while (got < 0 && errno == EINTR);
        if (got < 0) fail("standard input");
        end_ += static_cast<std::size_t>(got);
        buffer_[end_] = '\0';
        if (got == 0) {
            ended_ = true;
            complete_end_ = end_;
            return end_ > 0;
        }
        // A value that starts before the last white space ends before it.
        complete_end_ = 0;
        for (std::size_t i = end_; i > 0; --i) {
            if (is_space(buffer_[i - 1])) {
                complete_end_ = i - 1;
                break;
            }
        }
        return true;
    }

    std::size_t capacity() const { return buffer_.size() - 1; }  // one byte kept for the NUL

    Output& output_;
    std::vector<char> buffer_;
    std::size_t next_ = 0;
    std::size_t end_ = 0;
    std::size_t complete_end_ = 0;  // values starting before this index end inside the buffer
    bool ended_ = false;
};

// The overflow line follows the dashed line already buffered, so that goes
// out first.
class OrderedErrorLine final : public kestrion::ErrorLineSink {
public:
    explicit OrderedErrorLine(Output& output) : output_(output) {}

    void write_error_line(std::string_view line) noexcept override {
        output_.flush();
        std::fwrite(line.data(), 1, line.size(), stderr);
    }

private:
    Output& output_;
};

Output output;
Input input(output);

}  // namespace

int main() {
    namespace texts = kestrion::texts;
    kestrion::set_up_arithmetic();
    kestrion::StarPairValues v;
    OrderedErrorLine errors(output);
    output.put(texts::kBanner);
    for (;;) {
        for (const texts::Prompt& prompt : texts::kPrompts) {
            output.put(prompt.text);
            double d;
            switch (input.read_value(d)) {
                case Read::number:
                    v.*prompt.field = static_cast<float>(d);
                    break;
                case Read::unreadable:
                    input.discard_line();
                    break;
                case Read::end_of_input:
                    output.put("\n");
                    output.flush();
                    return 0;
            }
        }
        output.put(texts::kDashLine);
        kestrion::compute_shares(v, errors);
        for (const texts::ReportValue& line : texts::kReport) {
            output.put(line.before);
            output.put_fixed(v.*line.field);
        }
        for (std::string_view text : texts::kReportEnd) output.put(text);
    }
}
