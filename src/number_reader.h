// Reading each typed value from the input: white space skipped, then the
// longest prefix of this grammar, a decimal number as "%f" reads one but
// without its words (inf, nan) and hexadecimal forms, which are not numbers
// here:
//     [+-] ( digits [ "." [digits] ] | "." digits ) [ (e|E) [+-] digits ]
// rounded correctly to double, which the caller then stores to single.
//
// How (number_reader.cpp). The usual literal, whole in the bytes read so
// far with at most 19 digits, is read by its shape: its runs of digits
// found from whole 64-bit words, then its digits converted eight to a
// word from their known bounds. Every other value goes through one
// grammar over one of two cursors: a value whose bytes lie together in the
// input buffer is read where it lies; one that runs on past the bytes read
// so far is read a byte at a time across refills, its digits kept in
// bounded memory (the first 800 significant ones and whether any later
// one is nonzero, which is all correct rounding needs). Either way the
// decimal then takes the cheapest
// route that decides its double (decimal_to_double.h): one double
// operation for short literals, a 128-bit product with a truncated power
// of ten for any 19-digit significand within 10^±80, the two ends of a
// longer literal's first 19 digits when they round alike, else the exact
// conversion in big integers on the stack.
#pragma once

#include <cstddef>

#include "stream_buffers.h"

namespace kestrion {

// What a read found. needs_input comes only from read_buffered_values.
enum class ReadStatus { number, unreadable, end_of_input, needs_input };

// Reads the next value into `value`. The first byte that cannot continue the
// number stays unread, but an exponent marker with no digits after it
// ("1e", "2.5E-") is taken with the number, which is then the digits before
// it. After unreadable `value` is left alone, and bytes up to the offending
// one may be consumed, but no line end.
ReadStatus read_value(InputBuffer& input, double& value);

// The next values, up to `count` of them, from the bytes already read,
// never reading more (so never waiting), as read_value would read them:
// returns how many, and sets `stopped` to what ended the run when that is
// below `count`: unreadable as read_value gives it, or needs_input where
// the value may run on past those bytes or none are left; then only white
// space was consumed, and read_value reads the value.
size_t read_buffered_values(InputBuffer& input, double* values, size_t count, ReadStatus& stopped);

// The store of a read value into its single-precision field.
inline float to_single(double value) { return static_cast<float>(value); }

}  // namespace kestrion
