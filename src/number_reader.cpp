#include "number_reader.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "compiler.h"
#include "decimal_to_double.h"

namespace kestrion {
namespace {

bool is_space(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool is_digit(int c) { return static_cast<unsigned>(c - '0') < 10; }

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
        d.significand = d.significand * kPowersOfTenBelow9[run.count] + run.value;
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

    // Eight bytes in one 64-bit word, the first in the low byte: a byte is
    // a digit when neither adding 0x46 nor subtracting 0x30 carries into its
    // top bit, so the run is the bytes below the first such top bit. Shifted
    // up by the bytes after it, the run stands at the word's end behind
    // zeros, which do not change its value; then pairs, quads and the eight
    // are joined by three multiplications, each combining neighbours at once.
    bool digit_run(DigitRun& run) {
        if (end_ - p_ < 8) return false;
        uint64_t w = 0;
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(&w, p_, 8);
        } else {
            for (int i = 0; i < 8; ++i) w |= uint64_t{static_cast<unsigned char>(p_[i])} << (8 * i);
        }
        const uint64_t not_digits = ((w + 0x4646464646464646) | (w - 0x3030303030303030)) & 0x8080808080808080;
        run.count = not_digits == 0 ? 8 : std::countr_zero(not_digits) / 8;
        if (run.count == 0) {
            run = DigitRun{};
            return true;
        }
        w = (w - 0x3030303030303030) << (8 * (8 - run.count));
        run.leading_zeros = w == 0 ? run.count : std::countr_zero(w) / 8 - (8 - run.count);
        w = (w * 10) + (w >> 8);  // byte 2i: digit 2i · 10 + digit 2i+1
        const uint64_t pairs = w & 0x000000ff000000ff, pairs_shifted = (w >> 16) & 0x000000ff000000ff;
        run.value = ((pairs * (100 + (1000000ull << 32))) + (pairs_shifted * (1 + (10000ull << 32)))) >> 32;
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

// A value whose bytes lie together in the buffer, the white space before it
// skipped: read where it lies, or ran_off, leaving the input at its first
// byte, where it runs on past the bytes read so far (or none are left).
KESTRION_INLINE Scan read_in_buffer(InputBuffer& input, double& value) {
    const char* p = input.position();
    const char* const end = input.end();
    while (p != end && is_space(static_cast<unsigned char>(*p))) ++p;
    input.consume_to(p);
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
