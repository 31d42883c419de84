// Scanning a typed value: an optional sign, digits with an optional decimal
// point, an optional exponent, as a "%f" read accepts them.
#pragma once

#include <cstddef>
#include <cstdint>


namespace kestrion {

// The digits of a scanned number, in bounded memory whatever its length:
// value = ±0.d1d2…dn × 10^exponent. Digits past kMaxDigits only matter for
// rounding through whether any of them is nonzero: every midpoint between
// two doubles has at most 767 significant digits.
struct DecimalNumber {
    static constexpr int kMaxDigits = 800;
    // Typed exponents stop growing here: far past any overflow or underflow,
    // even after shifting by the digit count of any input that can exist.
    static constexpr int64_t kExponentClamp = 100'000'000'000'000'000;

    bool negative = false;
    bool dropped_nonzero = false;
    int digit_count = 0;  // leading zeros are not kept
    int64_t exponent = 0;
    char digits[kMaxDigits];

    void add_digit(char c) {
        if (digit_count < kMaxDigits) {
            digits[digit_count++] = c;
        } else if (c != '0') {
            dropped_nonzero = true;
        }
    }
};

enum class ReadStatus { number, unreadable, end_of_input };

inline bool is_space(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
inline bool is_digit(int c) { return c >= '0' && c <= '9'; }

// Skips white space and scans the longest number at the front of `in`, byte
// by byte; the first byte that cannot continue it stays unread. An exponent
// marker with no digits after it ("1e", "2.5E-") is taken with the number,
// which is then the digits before it. After unreadable some bytes may be
// consumed, but no line end. `Cursor` offers peek() (a byte, or a negative
// value at the end) and advance().
template <class Cursor>
ReadStatus scan_number(Cursor& in, DecimalNumber& number) {
    int c = in.peek();
    while (is_space(c)) {
        in.advance();
        c = in.peek();
    }
    if (c < 0) return ReadStatus::end_of_input;

    number.negative = false;
    number.dropped_nonzero = false;
    number.digit_count = 0;
    if (c == '+' || c == '-') {
        number.negative = c == '-';
        in.advance();
        c = in.peek();
    }
    bool any_digit = false;
    int64_t point = 0;  // where the point falls, counted in kept digits
    for (; is_digit(c); in.advance(), c = in.peek()) {
        any_digit = true;
        if (number.digit_count > 0 || c != '0') {
            number.add_digit(static_cast<char>(c));
            ++point;
        }
    }
    if (c == '.') {
        in.advance();
        c = in.peek();
        for (; is_digit(c); in.advance(), c = in.peek()) {
            any_digit = true;
            if (number.digit_count > 0 || c != '0') {
                number.add_digit(static_cast<char>(c));
            } else {
                --point;
            }
        }
    }
    if (!any_digit) return ReadStatus::unreadable;

    int64_t exponent = 0;
    if (c == 'e' || c == 'E') {
        in.advance();
        c = in.peek();
        bool negative = false;
        if (c == '+' || c == '-') {
            negative = c == '-';
            in.advance();
            c = in.peek();
        }
        for (; is_digit(c); in.advance(), c = in.peek()) {
            if (exponent < DecimalNumber::kExponentClamp) exponent = exponent * 10 + (c - '0');
        }
        if (negative) exponent = -exponent;
    }
    number.exponent = point + exponent;
    return ReadStatus::number;
}

}  // namespace kestrion
