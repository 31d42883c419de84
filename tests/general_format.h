// The text "%.*g" writes for a double, written by the tests' own integer
// arithmetic, many times faster than the C library: the exhaustive reader
// check writes four texts for each of the 2^32 singles. It is checked
// against snprintf on a sample (number_reader_test.cpp).
#pragma once

namespace kestrion::testing {

// Longest text: a sign, 17 digits, the point, "e-308"; and a terminator.
inline constexpr int kGeneralFormatLength = 32;

// Writes "%.<precision>g" of `value` (finite; precision 1 to 17) at `out`,
// with a terminator, and returns the end before it: `precision`
// significant digits rounded to nearest, ties to even, in fixed notation
// for a decimal exponent from -4 to precision - 1 and in e-notation else,
// trailing zeros and a bare point dropped. Where the arithmetic below
// cannot decide the rounding (a decimal exponent beyond its table, or a
// value within 2^-64 of a last place of a tie, exact ties among them), it
// leaves the text to snprintf.
char* write_general(double value, int precision, char* out);

}  // namespace kestrion::testing
