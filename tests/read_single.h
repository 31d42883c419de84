// Reading one value from a string, as the dialogue reads it from its input.
#pragma once

#include <cstddef>
#include <string_view>

#include "decimal_conversion.h"
#include "number_scanner.h"

namespace kestrion::testing {

class StringCursor {
public:
    explicit StringCursor(std::string_view text) : text_(text) {}
    int peek() const { return pos_ < text_.size() ? static_cast<unsigned char>(text_[pos_]) : -1; }
    void advance() { ++pos_; }
    void unget(size_t count) { pos_ -= count; }
    size_t position() const { return pos_; }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

// Reads a number from the front of `text` into `value`; returns how many
// bytes it took (leading white space included), or 0 if there is none.
inline size_t read_single(std::string_view text, float& value) {
    StringCursor cursor(text);
    DecimalNumber number;
    if (scan_number(cursor, number) != ReadStatus::number) return 0;
    value = to_single(number);
    return cursor.position();
}

}  // namespace kestrion::testing
