// Scanning a typed value: an optional sign, digits with an optional decimal
// point, an optional exponent, as a "%f" read accepts them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "decimal_number.h"

namespace kestrion {

enum class ReadStatus { number, not_a_number, end_of_input };

inline bool is_space(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
inline bool is_digit(int c) { return c >= '0' && c <= '9'; }

// Skips white space and scans the longest number at the front of `in`, byte
// by byte; the first byte that cannot continue it stays unread. An exponent
// marker with no digits after it ("1e", "2.5E-") is taken with the number,
// which is then the digits before it. After not_a_number some bytes may be
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
    if (!any_digit) return ReadStatus::not_a_number;

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
