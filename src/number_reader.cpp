#include "number_reader.h"

#include "decimal_conversion.h"

namespace kestrion {
namespace {

// A literal scanned where all its bytes lie together in the input buffer.
struct Literal {
    bool negative = false;
    uint64_t significand = 0;  // its first 19 significant digits
    int kept = 0;              // how many digits the significand holds
    int64_t scale = 0;         // value = significand × 10^scale, nearly
    const char* text = nullptr;      // the digits, point and exponent, unsigned
    const char* text_end = nullptr;  // (a dangling exponent marker left out)
    const char* end = nullptr;       // where the read stops
};

enum class Scan { number, unreadable, runs_past_the_buffer };

constexpr int kKeptDigits = 19;  // 10^19 - 1 < 2^64

// The same grammar as scan_number(), over [p, end). It cannot tell where a
// literal that reaches `end` stops: that one is left to scan_number().
Scan scan_buffered(const char* p, const char* end, Literal& literal) {
    if (*p == '+' || *p == '-') {
        literal.negative = *p == '-';
        if (++p == end) return Scan::runs_past_the_buffer;
    }
    literal.text = p;
    bool any_digit = false;
    auto add_digit = [&](char c, bool fraction) {
        any_digit = true;
        const auto digit = static_cast<uint64_t>(c - '0');
        if (literal.kept == 0 && digit == 0) {
            if (fraction) --literal.scale;  // a leading zero only moves the point
        } else if (literal.kept < kKeptDigits) {
            literal.significand = literal.significand * 10 + digit;
            ++literal.kept;
            if (fraction) --literal.scale;
        } else if (!fraction) {
            ++literal.scale;  // a digit past those kept: only its place counts
        }
    };
    for (; p != end && is_digit(*p); ++p) add_digit(*p, false);
    if (p != end && *p == '.') {
        for (++p; p != end && is_digit(*p); ++p) add_digit(*p, true);
    }
    if (p == end) return Scan::runs_past_the_buffer;
    if (!any_digit) return Scan::unreadable;
    literal.text_end = p;

    if (*p == 'e' || *p == 'E') {
        if (++p == end) return Scan::runs_past_the_buffer;
        bool negative = false;
        if (*p == '+' || *p == '-') {
            negative = *p == '-';
            if (++p == end) return Scan::runs_past_the_buffer;
        }
        if (is_digit(*p)) {
            int64_t exponent = 0;
            for (; p != end && is_digit(*p); ++p) {
                if (exponent < DecimalNumber::kExponentClamp) exponent = exponent * 10 + (*p - '0');
            }
            if (p == end) return Scan::runs_past_the_buffer;
            literal.scale += negative ? -exponent : exponent;
            literal.text_end = p;
        }
    }
    literal.end = p;
    return Scan::number;
}

double to_double(const Literal& literal) {
    double magnitude = 0;
    // A significand of 19 digits is at least 10^18, past 2^53, so the exact
    // path never sees one that digits were dropped from.
    if (literal.significand != 0 && !exact_decimal(literal.significand, literal.scale, magnitude)) {
        // The bytes as they are, to the correctly rounding conversion.
        magnitude = literal_to_double(literal.text, literal.text_end, literal.scale + literal.kept - 1);
    }
    return literal.negative ? -magnitude : magnitude;
}

}  // namespace

ReadStatus read_value(InputBuffer& input, double& value) {
    for (int c = input.peek(); is_space(c); c = input.peek()) input.advance();
    if (input.peek() == InputBuffer::kEnd) return ReadStatus::end_of_input;

    Literal literal;
    switch (scan_buffered(input.position(), input.end(), literal)) {
        case Scan::number:
            value = to_double(literal);
            input.consume_to(literal.end);
            return ReadStatus::number;
        case Scan::unreadable:
            return ReadStatus::unreadable;
        case Scan::runs_past_the_buffer:
            break;
    }
    // Rare: the literal runs on past the bytes read so far. Read it a byte at
    // a time, across refills, keeping its digits in bounded memory.
    DecimalNumber number;
    const ReadStatus status = scan_number(input, number);
    if (status == ReadStatus::number) value = to_double(number);
    return status;
}

}  // namespace kestrion
