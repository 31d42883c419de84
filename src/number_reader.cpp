#include "number_reader.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "compiler.h"
#include "decimal_to_double.h"
#include "decimal_words.h"
#include "text_words.h"

namespace kestrion {
namespace {

bool is_digit(int c) { return static_cast<unsigned>(c - '0') < 10; }
// '+' or '-', two apart: one test for both.
KESTRION_INLINE bool is_sign(char c) { return ((c - '+') & 0xfd) == 0; }
bool is_space(int c) { return c == ' ' || static_cast<unsigned>(c - '\t') <= '\r' - '\t'; }

// Typed exponents stop growing here: far past any overflow or underflow,
// even after shifting by the digit count of any input that can exist.
constexpr int64_t kExponentClamp = 100'000'000'000'000'000;

// What a cursor's peek() returns past its last byte: the end of the input,
// where the number simply stops, or the end of the bytes read so far, where
// the scan is abandoned and begun again with a cursor that reads on.
constexpr int kEndOfInput = InputBuffer::kEnd;
constexpr int kRanOff = -2;
static_assert(kEndOfInput != kRanOff && kEndOfInput < 0);

enum class Scan { number, unreadable, ran_off };

// The first up-to-eight digits at a cursor: how many, their value, and how
// many of them lead with a zero.
struct DigitRun {
    int count = 0;
    int leading_zeros = 0;
    uint64_t value = 0;
};

// The scanner's steps are inlined into each reader (KESTRION_INLINE), so
// that the cursor's position and the significand live in registers rather
// than in memory.

// Appends one digit of the integer part or, with `fraction`, of the fraction.
template <class Cursor>
KESTRION_INLINE void add_digit(Cursor& in, Decimal& d, int c, bool fraction) {
    const auto digit = static_cast<uint64_t>(c - '0');
    if (d.digits < kSignificandDigits) {
        d.significand = d.significand * 10 + digit;
        if (d.significand != 0) {  // leading zeros only move the point
            ++d.digits;
            in.keep(c);
        }
        if (fraction) --d.exponent;
    } else {
        in.keep(c);
        if (!fraction) ++d.exponent;
        d.tail_nonzero |= digit != 0;
    }
}

// A run of digits: up to eight at once while the cursor has the bytes
// together and the significand has room, then one at a time. Taking n
// digits at once appends exactly what n add_digit() calls would: the
// significand grows by a factor 10^n plus their value, its length by n
// less the run's leading zeros when it was still zero, and in a fraction
// the exponent falls by n.
template <class Cursor>
KESTRION_INLINE void add_digits(Cursor& in, Decimal& d, bool fraction) {
    for (DigitRun run; d.digits <= kSignificandDigits - 8 && in.digit_run(run);) {
        const bool was_zero = d.significand == 0;
        d.significand = d.significand * kPowersOfTen[run.count] + run.value;
        d.digits = was_zero ? run.count - run.leading_zeros : d.digits + run.count;
        if (fraction) d.exponent -= run.count;
        if (run.count < 8) return;  // the run has ended
    }
    for (int c = in.peek(); is_digit(c); in.advance(), c = in.peek()) add_digit(in, d, c, fraction);
}

// The grammar, once, for every cursor: an optional sign, digits with an
// optional point, an optional exponent. The cursor stands at a byte that is
// not white space. A cursor offers peek() (a byte, kEndOfInput or kRanOff)
// and advance(); keep(c), each significant digit in order; digit_run(), the
// digits among the next eight bytes, consumed, or false where it has no such
// shortcut; and mark_digits_begin() and mark_digits_end(), around the
// literal's digits and point.
template <class Cursor>
KESTRION_INLINE Scan scan(Cursor& in, Decimal& d) {
    int c = in.peek();
    if (c == '+' || c == '-') {
        d.negative = c == '-';
        in.advance();
        c = in.peek();
    }
    in.mark_digits_begin();
    bool any_digit = is_digit(c);
    add_digits(in, d, false);
    c = in.peek();
    if (c == '.') {
        in.advance();
        any_digit |= is_digit(in.peek());
        add_digits(in, d, true);
        c = in.peek();
    }
    if (c == kRanOff) return Scan::ran_off;
    if (!any_digit) return Scan::unreadable;
    in.mark_digits_end();
    if (c == 'e' || c == 'E') {
        in.advance();
        c = in.peek();
        bool negative = false;
        if (c == '+' || c == '-') {
            negative = c == '-';
            in.advance();
            c = in.peek();
        }
        if (is_digit(c)) {
            int64_t exponent = 0;
            for (; is_digit(c); in.advance(), c = in.peek()) {
                if (exponent < kExponentClamp) exponent = exponent * 10 + (c - '0');
            }
            d.exponent += negative ? -exponent : exponent;
        }
        if (c == kRanOff) return Scan::ran_off;
    }
    return Scan::number;
}

// The bytes read so far, as they lie in the input buffer: digits stay where
// they are, and the text goes to the exact conversion as it stands.
class BufferCursor {
public:
    BufferCursor(const char* begin, const char* end) : p_(begin), end_(end) {}
    int peek() const { return p_ != end_ ? static_cast<unsigned char>(*p_) : kRanOff; }
    void advance() { ++p_; }
    void keep(int) {}
    void mark_digits_begin() { digits_begin_ = p_; }
    void mark_digits_end() { digits_end_ = p_; }

    // The digits among the next eight bytes, from one word (the padding
    // past the bytes read stops the run at their end).
    bool digit_run(DigitRun& run) {
        const uint64_t w = words::load(p_);
        run.count = words::leading_digits(w);
        if (run.count == 0) {
            run = DigitRun{};
            return true;
        }
        const uint64_t digits = (w - words::every_byte('0')) << (8 * (8 - run.count));
        run.leading_zeros = digits == 0 ? run.count : std::countr_zero(digits) / 8 - (8 - run.count);
        run.value = digits_value(w, run.count);
        p_ += run.count;
        return true;
    }

    const char* position() const { return p_; }
    std::string_view digits() const { return {digits_begin_, static_cast<size_t>(digits_end_ - digits_begin_)}; }

private:
    const char* p_;
    const char* end_;
    const char* digits_begin_ = nullptr;
    const char* digits_end_ = nullptr;
};

// The rare literal that runs on past the bytes read so far: read a byte at a
// time, across refills, its significant digits kept in bounded memory: the
// first kMaxSignificantDigits, and whether any later one is nonzero, which
// is all the exact conversion uses.
class RefillingCursor {
public:
    explicit RefillingCursor(InputBuffer& input) : input_(input) {}
    int peek() { return input_.peek(); }
    void advance() { input_.advance(); }
    void keep(int c) {
        if (count_ < kMaxSignificantDigits) {
            digits_[count_++] = static_cast<char>(c);
        } else if (c != '0') {
            dropped_nonzero_ = true;
        }
    }
    bool digit_run(DigitRun&) { return false; }
    void mark_digits_begin() {}
    void mark_digits_end() {}

    std::string_view digits() const { return {digits_, static_cast<size_t>(count_)}; }
    bool dropped_nonzero() const { return dropped_nonzero_; }

private:
    InputBuffer& input_;
    int count_ = 0;
    bool dropped_nonzero_ = false;
    char digits_[kMaxSignificantDigits];
};

// The length of the run of digits at p, eight bytes a step; the padding
// past the bytes read stops it at their end.
KESTRION_INLINE int digit_run_length(const char* p) {
    int count = 0;
    for (int n = 8; n == 8; count += n) n = words::leading_digits(words::load(p + count));
    return count;
}

// The value of the `count` digits at p, count from 1 to 18.
KESTRION_INLINE uint64_t run_value(const char* p, int count) {
    uint64_t value = 0;
    for (; count > 8; count -= 8, p += 8) value = value * kPowersOfTen[8] + eight_digits_value(words::load(p));
    return value * kPowersOfTen[count] + digits_value(words::load(p), count);
}

// The words of the first n bytes, n from 0 to 8.
constexpr auto kFirstBytes = [] {
    std::array<uint64_t, 9> masks{};
    for (int n = 1; n <= 8; ++n) masks[n] = masks[n - 1] << 8 | 0xff;
    return masks;
}();

// The first eight digits of the text at p with its point removed, the
// point standing after the first `whole` of them (whole <= 8): the bytes
// before the point from the word at p, those after it from the word one
// byte further on.
KESTRION_INLINE uint64_t first_eight_around_point(const char* p, int whole) {
    const uint64_t before_point = kFirstBytes[whole];
    return (words::load(p) & before_point) | (words::load(p + 1) & ~before_point);
}

// The significand of the `whole` digits at p and the `fraction` digits
// after the point that follows them (1 to kSignificandDigits in all),
// eight digits at a time from their known bounds. Most typed literals have
// their digits, and the point among them, within eight bytes: one word.
// Longer ones with the point among their first eight digits take those
// from one word and the rest as they lie after it; the others take each
// run whole.
KESTRION_INLINE uint64_t significand_of(const char* p, int whole, int fraction) {
    const int count = whole + fraction;
    if (count <= 8) return digits_value(first_eight_around_point(p, whole), count);
    if (whole < 8) {
        return eight_digits_value(first_eight_around_point(p, whole)) * kPowersOfTen[count - 8] +
               run_value(p + 9, count - 8);
    }
    return run_value(p, whole) * kPowersOfTen[fraction] + (fraction == 0 ? 0 : run_value(p + whole + 1, fraction));
}

// The usual literal, whole in the bytes read so far: [sign] digits
// [. digits] [(e|E) [sign] digits], with 1 to kSignificandDigits digits
// before the exponent, which then all fit the significand, and at most 18
// in the exponent. Its shape is found first, from the runs of digits,
// which whole words give, and the one byte at each run's end; only then
// are the digits converted, each run from its known bounds, and the
// decimal rounded as every literal is. False, with `at` unmoved, for
// anything else, which the grammar's scan reads (the rare literal: longer,
// unreadable, or running on past the bytes read so far).
KESTRION_INLINE bool read_usual(const char*& at, const char* end, double& value) {
    const char* p = at;
    bool negative = false;
    if (static_cast<unsigned char>(*p) < '0') [[unlikely]] {  // '+' and '-' lie below the digits
        negative = *p == '-';
        p += is_sign(*p) ? 1 : 0;
    }
    const char* const digits_begin = p;
    const int whole = digit_run_length(p);
    const char* fraction_begin = p + whole;
    int fraction = 0;
    if (*fraction_begin == '.') fraction = digit_run_length(++fraction_begin);
    const char* const digits_end = fraction_begin + fraction;
    if (static_cast<unsigned>(whole + fraction - 1) >= static_cast<unsigned>(kSignificandDigits)) return false;
    int64_t exponent = -fraction;
    const char* next = digits_end;
    if ((*next | 0x20) == 'e') {  // e or E
        const char* q = next + 1;
        const bool negative_exponent = *q == '-';
        q += is_sign(*q) ? 1 : 0;
        const int count = digit_run_length(q);
        if (count > 18) return false;  // the scan clamps it
        const auto typed = count == 0 ? 0 : static_cast<int64_t>(run_value(q, count));
        exponent += negative_exponent ? -typed : typed;
        next = q + count;  // with no digits, the marker and its sign are taken
    }
    if (next >= end) return false;  // it may run on past the bytes read so far
    const uint64_t significand = significand_of(digits_begin, whole, fraction);
    // The short literal's route first, outside to_double, whose Decimal and
    // sign then cost nothing for most values (sixteen fewer instructions a
    // typical cycle than to_double alone).
    double magnitude;
    if (!exact_in_double(significand, exponent, magnitude)) {
        magnitude = to_double(Decimal{false, false, 0, significand, exponent}, [&](int64_t leading) {
            return exact_to_double({digits_begin, static_cast<size_t>(digits_end - digits_begin)}, false, leading);
        });
    }
    value = negative ? -magnitude : magnitude;
    at = next;
    return true;
}

// A value whose bytes lie together in the buffer, the white space before it
// skipped: read where it lies, or ran_off, leaving the input at its first
// byte, where it runs on past the bytes read so far (or none are left).
KESTRION_INLINE Scan read_in_buffer(InputBuffer& input, double& value) {
    const char* p = input.position();
    const char* const end = input.end();
    // White space: most often one blank or line end before a byte above
    // the blank, which cannot be white space; else eight bytes a step, one
    // step for up to seven. The padding past the bytes read stops it at
    // their end.
    if (is_space(static_cast<unsigned char>(p[0])) && static_cast<unsigned char>(p[1]) > ' ') [[likely]] {
        ++p;
    } else {
        for (int n = 8; n == 8; p += n) n = words::leading_spaces(words::load(p));
    }
    if (read_usual(p, end, value)) [[likely]] {
        input.consume_to(p);
        return Scan::number;
    }
    input.consume_to(p);  // the white space; read_usual left p where the value begins
    BufferCursor buffered(p, end);
    Decimal d;
    const Scan scanned = scan(buffered, d);
    if (scanned == Scan::ran_off) return scanned;
    if (scanned == Scan::number) {
        value = to_double(d, [&](int64_t leading) {
            return exact_to_double(buffered.digits(), false, leading);
        });
    }
    input.consume_to(buffered.position());
    return scanned;
}

}  // namespace

size_t read_buffered_values(InputBuffer& input, double* values, size_t count, ReadStatus& stopped) {
    for (size_t i = 0; i < count; ++i) {
        switch (read_in_buffer(input, values[i])) {
            case Scan::number:
                continue;
            case Scan::unreadable:
                stopped = ReadStatus::unreadable;
                return i;
            case Scan::ran_off:
                stopped = ReadStatus::needs_input;
                return i;
        }
    }
    return count;
}

ReadStatus read_value(InputBuffer& input, double& value) {
    for (;;) {
        switch (read_in_buffer(input, value)) {
            case Scan::number:
                return ReadStatus::number;
            case Scan::unreadable:
                return ReadStatus::unreadable;
            case Scan::ran_off:
                break;
        }
        if (input.position() != input.end()) break;  // the number runs on past the buffer
        if (input.peek() == InputBuffer::kEnd) return ReadStatus::end_of_input;  // reads more
    }

    RefillingCursor refilling(input);
    Decimal d;
    if (scan(refilling, d) == Scan::unreadable) return ReadStatus::unreadable;
    value = to_double(d, [&](int64_t leading) {
        return exact_to_double(refilling.digits(), refilling.dropped_nonzero(), leading);
    });
    return ReadStatus::number;
}

}  // namespace kestrion
