#include "number_reader.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>

#include "arithmetic_platform.h"
#include "extended_soft_integer.h"

namespace kestrion {
namespace {

bool is_space(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool is_digit(int c) { return static_cast<unsigned>(c - '0') < 10; }

// A scanned literal: value = ±(significand + tail) × 10^exponent, where the
// significand holds its first kKept significant digits (kept of them, its
// decimal length) and the tail, below one, the rest, of which only whether
// it is zero is kept here.
struct Decimal {
    bool negative = false;
    bool tail_nonzero = false;
    int kept = 0;
    uint64_t significand = 0;
    int64_t exponent = 0;
};

constexpr int kKept = 19;  // 10^19 - 1 < 2^64

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

// The scanner's steps are inlined into each reader, so that the cursor's
// position and the significand live in registers rather than in memory.
#define KESTRION_INLINE [[gnu::always_inline]] inline

// Appends one digit of the integer part or, with `fraction`, of the fraction.
template <class Cursor>
KESTRION_INLINE void add_digit(Cursor& in, Decimal& d, int c, bool fraction) {
    const auto digit = static_cast<uint64_t>(c - '0');
    if (d.kept < kKept) {
        d.significand = d.significand * 10 + digit;
        if (d.significand != 0) {  // leading zeros only move the point
            ++d.kept;
            in.keep(c);
        }
        if (fraction) --d.exponent;
    } else {
        in.keep(c);
        if (!fraction) ++d.exponent;
        d.tail_nonzero |= digit != 0;
    }
}

constexpr uint64_t kPowersOfTenBelow9[] = {1, 10, 100, 1'000, 10'000, 100'000, 1'000'000, 10'000'000, 100'000'000};

// A run of digits: up to eight at once while the cursor has the bytes
// together and the significand has room, then one at a time. Taking n
// digits at once appends exactly what n add_digit() calls would: the
// significand grows by a factor 10^n plus their value, its length by n
// less the run's leading zeros when it was still zero, and in a fraction
// the exponent falls by n.
template <class Cursor>
KESTRION_INLINE void add_digits(Cursor& in, Decimal& d, bool fraction) {
    for (DigitRun run; d.kept <= kKept - 8 && in.digit_run(run);) {
        const bool was_zero = d.significand == 0;
        d.significand = d.significand * kPowersOfTenBelow9[run.count] + run.value;
        d.kept = was_zero ? run.count - run.leading_zeros : d.kept + run.count;
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
// shortcut; and mark_text_begin() and mark_text_end(), around the literal's
// unsigned text without a dangling exponent marker.
template <class Cursor>
KESTRION_INLINE Scan scan(Cursor& in, Decimal& d) {
    int c = in.peek();
    if (c == '+' || c == '-') {
        d.negative = c == '-';
        in.advance();
        c = in.peek();
    }
    in.mark_text_begin();
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
    in.mark_text_end();
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
            in.mark_text_end();
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
    void mark_text_begin() { text_begin_ = p_; }
    void mark_text_end() { text_end_ = p_; }

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
    const char* text_begin() const { return text_begin_; }
    const char* text_end() const { return text_end_; }

private:
    const char* p_;
    const char* end_;
    const char* text_begin_ = nullptr;
    const char* text_end_ = nullptr;
};

// The rare literal that runs on past the bytes read so far: read a byte at a
// time, across refills, its significant digits kept in bounded memory.
// Digits past kMaxDigits only matter for rounding through whether any of
// them is nonzero: every midpoint between two doubles has at most 767
// significant digits.
class RefillingCursor {
public:
    static constexpr int kMaxDigits = 800;

    explicit RefillingCursor(InputBuffer& input) : input_(input) {}
    int peek() { return input_.peek(); }
    void advance() { input_.advance(); }
    void keep(int c) {
        if (count_ < kMaxDigits) {
            digits_[count_++] = static_cast<char>(c);
        } else if (c != '0') {
            dropped_nonzero_ = true;
        }
    }
    bool digit_run(DigitRun&) { return false; }
    void mark_text_begin() {}
    void mark_text_end() {}

    // The kept digits as "DDD…De<exponent>" whose leading digit is worth
    // 10^leading; a dropped nonzero tail becomes one trailing 1, which sits
    // on the same side of every midpoint as the tail itself.
    char* write_text(char* out, int64_t leading) const {
        std::memcpy(out, digits_, static_cast<size_t>(count_));
        out += count_;
        int n = count_;
        if (dropped_nonzero_) {
            *out++ = '1';
            ++n;
        }
        *out++ = 'e';
        return std::to_chars(out, out + 24, leading - (n - 1)).ptr;
    }
    static constexpr size_t kTextCapacity = kMaxDigits + 1 + 1 + 24;

private:
    InputBuffer& input_;
    int count_ = 0;
    bool dropped_nonzero_ = false;
    char digits_[kMaxDigits];
};

constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

static_assert(KESTRION_DOUBLE_MATH_IS_DOUBLE, "Clinger's path counts on one rounding per double operation");

// Clinger's path, the cheapest for short literals: w up to 2^53 and
// 10^|scale| up to 10^22 are both exact doubles, so the one multiplication
// or division that joins them is the only rounding, and IEEE arithmetic
// makes it correct.
KESTRION_INLINE bool exact_in_double(uint64_t w, int64_t scale, double& result) {
    if (w > (uint64_t{1} << 53) || scale < -22 || scale > 22) return false;
    const double m = static_cast<double>(w);
    result = scale < 0 ? m / kExactPowersOfTen[-scale] : m * kExactPowersOfTen[scale];
    return true;
}

// 10^s as a 64-bit significand, truncated, and a binary exponent:
// 10^s = (significand + δ) · 2^exponent with 0 <= δ < 1, and
// 2^63 <= significand < 2^64. Built at compile time from exact integers.
struct PowerOfTen {
    uint64_t significand;
    int32_t exponent;
};
constexpr int kTableScale = 40;  // s from -40 to 40

// Just enough of an unsigned big integer for the table: 32-bit limbs, low first.
struct BigInteger {
    static constexpr int kLimbs = 8;  // 10^40 < 2^133 and 2^(63 + 133) < 2^256
    uint32_t limb[kLimbs]{};

    constexpr int bit_length() const {
        for (int i = kLimbs - 1; i >= 0; --i) {
            if (limb[i] != 0) return 32 * i + std::bit_width(limb[i]);
        }
        return 0;
    }
    constexpr bool bit(int n) const { return n >= 0 && ((limb[n / 32] >> (n % 32)) & 1) != 0; }
    constexpr void multiply_small(uint32_t k) {
        uint64_t carry = 0;
        for (uint32_t& l : limb) {
            carry += uint64_t{l} * k;
            l = static_cast<uint32_t>(carry);
            carry >>= 32;
        }
    }
    constexpr void double_plus(bool one) {  // 2x + one
        uint32_t carry = one ? 1 : 0;
        for (uint32_t& l : limb) {
            const uint32_t next = l >> 31;
            l = (l << 1) | carry;
            carry = next;
        }
    }
    constexpr bool at_least(const BigInteger& other) const {
        for (int i = kLimbs - 1; i >= 0; --i) {
            if (limb[i] != other.limb[i]) return limb[i] > other.limb[i];
        }
        return true;
    }
    constexpr void subtract(const BigInteger& other) {  // *this >= other
        int64_t borrow = 0;
        for (int i = 0; i < kLimbs; ++i) {
            const int64_t d = int64_t{limb[i]} - other.limb[i] - borrow;
            borrow = d < 0 ? 1 : 0;
            limb[i] = static_cast<uint32_t>(d + (borrow << 32));
        }
    }
};

constexpr PowerOfTen power_of_ten(int s) {
    BigInteger ten_k;
    ten_k.limb[0] = 1;
    for (int i = 0; i < (s < 0 ? -s : s); ++i) ten_k.multiply_small(10);
    const int b = ten_k.bit_length();
    uint64_t top = 0;
    if (s >= 0) {
        // The 64 bits from the top one down, zeros below the integer's end.
        for (int n = b - 1; n >= b - 64; --n) top = (top << 1) | (ten_k.bit(n) ? 1 : 0);
        return {top, b - 64};
    }
    // floor(2^N / 10^k) with N = 63 + b, a quotient in [2^63, 2^64), by long
    // division a bit at a time: 10^-k = that · 2^-N, less under one unit.
    const int n = 63 + b;
    BigInteger remainder;
    for (int i = n; i >= 0; --i) {
        remainder.double_plus(i == n);
        top <<= 1;
        if (remainder.at_least(ten_k)) {
            remainder.subtract(ten_k);
            top |= 1;
        }
    }
    return {top, -n};
}

struct PowersOfTen {
    PowerOfTen power[2 * kTableScale + 1]{};
    constexpr PowersOfTen() {
        for (int s = -kTableScale; s <= kTableScale; ++s) power[s + kTableScale] = power_of_ten(s);
    }
};
constexpr PowersOfTen kPowersOfTen;
static_assert(kPowersOfTen.power[kTableScale].significand == uint64_t{1} << 63);
static_assert(kPowersOfTen.power[kTableScale + 19].significand == 10'000'000'000'000'000'000u);
static_assert(kPowersOfTen.power[kTableScale - 1].significand == 0xcccccccccccccccc &&
              kPowersOfTen.power[kTableScale - 1].exponent == -67);

// The usual path: w · 10^scale for any significand w (nonzero) and a scale
// within the table, in integers. With m = w · 2^z normalised to
// [2^63, 2^64) and 10^scale = (t + δ) · 2^e from the table, the exact value
// is (m·t + m·δ) · 2^(e - z), where P = m·t is the exact 128-bit product and
// 0 <= m·δ < 2^64: the value lies in [P, P + 2^64) units. P has its top bit
// at 2^127 or 2^126; shifted to 2^127 (the bound doubling with it, to
// 2^65, which the test below allows for), a double keeps its top 53 bits
// and drops 75, whose half is H. If the dropped bits D lie outside (H - 2^65, H], the
// whole interval lies on one side of H, and the rounding of P is the
// correct rounding of the value (a carry out of the kept bits, only when D
// is near its top, rounds up either way). Otherwise, about once in 1,000
// literals, it is left to the exact conversion. The result, between 10^-40
// and 2^64 · 10^40, is always a normal double.
KESTRION_INLINE bool product_to_double(uint64_t w, int64_t scale, double& result) {
    if (scale < -kTableScale || scale > kTableScale) return false;
    const PowerOfTen& p = kPowersOfTen.power[scale + kTableScale];
    const int z = std::countl_zero(w);
    const wide::Uint128 product = wide::multiply(w << z, p.significand);
    // P shifted to put its top bit at 2^127 (by one place, or none), without
    // a branch: the kept bits are then the top 53, D the 75 below them.
    const uint64_t shift = 1 - (wide::high(product) >> 63);
    const uint64_t high = (wide::high(product) << shift) | (wide::low(product) >> 63 & shift);
    const uint64_t low = wide::low(product) << shift;
    const uint64_t kept = high >> 11;
    const uint64_t dropped = high & 0x7ff;  // D's bits above 2^64; H's are 0x400
    // D in (H - 2^65, H]: the interval may reach H.
    if (dropped == 0x3ff || (dropped == 0x400 && low == 0) || (dropped == 0x3fe && low != 0)) return false;
    const uint64_t round_up = dropped > 0x400 || (dropped == 0x400 && low != 0) ? 1 : 0;
    const int64_t leading = 127 - static_cast<int64_t>(shift) + p.exponent - z;  // P's top bit, in the value
    // The kept bits' own top bit becomes the exponent field's lowest; a
    // carry from rounding runs on into the exponent.
    result = std::bit_cast<double>((static_cast<uint64_t>(leading + 1022) << 52) + kept + round_up);
    return true;
}

// Past these the value is certainly infinite (10^311 and more) or rounds to
// zero (under 10^-330, below half the least subnormal double); between them
// the exact conversion is handed a text it can take whole.
constexpr int64_t kOverflowLeading = 310;
constexpr int64_t kUnderflowLeading = -330;

// What this trusts of std::from_chars: that it rounds correctly to nearest
// even, and reports result_out_of_range only where the correctly rounded
// value overflows or is zero, leaving `value` alone. A subnormal double
// result, which some libraries also report as out of range, is not at
// stake: it stores to a signed zero in single anyway, as the 0 written then
// does. `leading` is the decimal exponent of the leading digit.
double exact_from_text(const char* begin, const char* end, int64_t leading) {
    double value = 0;
    if (std::from_chars(begin, end, value).ec == std::errc::result_out_of_range) {
        value = leading > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return value;
}

// The double nearest the literal (ties to even), ±inf past the range: the
// cheapest path that decides it, else `exact_text(leading)`, the cursor's
// own text through the exact conversion.
template <class ExactText>
KESTRION_INLINE double to_double(const Decimal& d, ExactText exact_text) {
    double magnitude = 0;
    if (d.significand != 0) {
        const int64_t leading = d.exponent + d.kept - 1;
        if (leading > kOverflowLeading) {
            magnitude = std::numeric_limits<double>::infinity();
        } else if (leading < kUnderflowLeading) {
            magnitude = 0;
        } else if (d.tail_nonzero || (!exact_in_double(d.significand, d.exponent, magnitude) &&
                                      !product_to_double(d.significand, d.exponent, magnitude))) {
            magnitude = exact_text(leading);
        }
    }
    return d.negative ? -magnitude : magnitude;
}

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
            return exact_from_text(buffered.text_begin(), buffered.text_end(), leading);
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
        char text[RefillingCursor::kTextCapacity];
        return exact_from_text(text, refilling.write_text(text, leading), leading);
    });
    return ReadStatus::number;
}

}  // namespace kestrion
