// A decimal number rounded to double, correctly, and that double to single:
// two roundings, as a "%f" read into a double and then stored in a float gives.
#pragma once

#include <cstdint>

#include "number_scanner.h"

namespace kestrion {

// w × 10^scale when a single double operation gives it correctly rounded:
// false, leaving `result` alone, where it cannot.
bool exact_decimal(uint64_t w, int64_t scale, double& result);

// The double nearest to the unsigned literal [begin, end): digits with an
// optional point and an optional exponent, as the scanner accepts them.
// `leading_exponent` is the decimal exponent of its leading nonzero digit
// (any value when all are zero), which decides whether a value beyond the
// double range is infinite or zero.
double literal_to_double(const char* begin, const char* end, int64_t leading_exponent);

// The double nearest to the number (ties to even), ±inf past the range.
double to_double(const DecimalNumber& number);

// The store of a read value into its single-precision field.
inline float to_single(double value) { return static_cast<float>(value); }

}  // namespace kestrion
