// A scanned decimal number, kept in bounded memory whatever its length.
#pragma once

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

}  // namespace kestrion
