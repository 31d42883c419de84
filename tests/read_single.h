// Reading one value from a string, as the dialogue reads it from its input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "stream_buffers.h"
#include "memory_streams.h"
#include "number_reader.h"

namespace kestrion::testing {

// How the literal reaches the reader: its bytes together in the buffer, or
// `chunk` bytes a read, so that it runs past what has been read.
enum class Arrival { together, one_byte_a_read, three_bytes_a_read };

// Reads a number from the front of `text` into `value`, as a double; returns
// how many bytes it took (leading white space included), or 0 if there is
// none. `text` gets a line end after it, as a typed line has.
inline size_t read_double(std::string_view text, double& value, Arrival arrival = Arrival::together) {
    const std::string line = std::string(text) + "\n";
    const size_t chunk = arrival == Arrival::together ? SIZE_MAX : arrival == Arrival::one_byte_a_read ? 1 : 3;
    MemorySource source(line, chunk);
    InputBuffer input(source, nullptr);
    if (read_value(input, value) != ReadStatus::number) return 0;
    // What is left: in the buffer, then in the source.
    std::string rest(input.position(), input.end());
    char buffer[4096];
    for (size_t n; (n = source.read(buffer, sizeof buffer)) > 0;) rest.append(buffer, n);
    return line.size() - rest.size();
}

// The same, stored to single as the record's fields are.
inline size_t read_single(std::string_view text, float& value, Arrival arrival = Arrival::together) {
    double wide = 0;
    const size_t taken = read_double(text, wide, arrival);
    if (taken > 0) value = to_single(wide);
    return taken;
}

}  // namespace kestrion::testing
