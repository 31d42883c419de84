// Printing a stored value as "%f" prints it widened to double: fixed
// notation, six decimals, exact, ties to even; "inf", "-inf", and "nan"
// for every NaN whatever its sign.
#pragma once

#include <cstddef>

namespace kestrion {

// Room for the longest result, 47 characters (a sign, the 39 digits of
// FLT_MAX, the point and six decimals), rounded up to three 16-byte
// pieces, in which the dialogue copies a value into place.
inline constexpr size_t kMaxFixed6Length = 48;

// Writes the text at `out` (no terminator) and returns its end. It may use
// all kMaxFixed6Length bytes at `out` as scratch on the way.
char* format_fixed6(float value, char* out);

}  // namespace kestrion
