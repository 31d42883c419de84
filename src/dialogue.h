// The console dialogue: banner, five prompts a cycle, the report, until the
// input ends.
#pragma once

#include "byte_stream.h"

namespace kestrion {

// Runs the dialogue over the given streams and returns the exit status:
// 0 when the input ends, 1 when a stream fails (after one line on `error`).
int run_dialogue(ByteSource& input, ByteSink& output, ByteSink& error);

}  // namespace kestrion
