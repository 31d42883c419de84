// A scanned decimal rounded to double, correctly, and that double to single:
// two roundings, as a "%f" read into a double and then stored in a float gives.
#pragma once

#include "decimal_number.h"

namespace kestrion {

// The double nearest to the number (ties to even), ±inf past the range.
double to_double(const DecimalNumber& number);

inline float to_single(const DecimalNumber& number) { return static_cast<float>(to_double(number)); }

}  // namespace kestrion
