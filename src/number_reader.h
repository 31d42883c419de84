// Reading each typed value from the input: white space skipped, then the
// longest number (number_scanner.h gives the grammar), rounded correctly to
// double, which the caller then stores to single.
#pragma once

#include "stream_buffers.h"
#include "number_scanner.h"

namespace kestrion {

// Reads the next value into `value`. After unreadable `value` is left
// alone and the bytes up to the offending one may be consumed.
ReadStatus read_value(InputBuffer& input, double& value);

}  // namespace kestrion
