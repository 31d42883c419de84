// Reading each typed value from the input as a "%f" read does: white space
// skipped, then the longest number (an optional sign, digits with an
// optional decimal point, an optional exponent), rounded correctly to
// double, which the caller then stores to single.
#pragma once

#include "stream_buffers.h"

namespace kestrion {

enum class ReadStatus { number, unreadable, end_of_input };

// Reads the next value into `value`. The first byte that cannot continue the
// number stays unread, but an exponent marker with no digits after it
// ("1e", "2.5E-") is taken with the number, which is then the digits before
// it. After unreadable `value` is left alone, and bytes up to the offending
// one may be consumed, but no line end.
ReadStatus read_value(InputBuffer& input, double& value);

// The store of a read value into its single-precision field.
inline float to_single(double value) { return static_cast<float>(value); }

}  // namespace kestrion
