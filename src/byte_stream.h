// The byte streams the dialogue reads and writes: standard input, output and
// error in the program, memory in tests.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string_view>

namespace kestrion {

// A read or write on a standard stream failed; what() names the stream and the cause.
class StreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ByteSource {
public:
    // Reads up to `size` bytes; returns 0 only at end of input. Throws StreamError.
    virtual size_t read(char* buffer, size_t size) = 0;

protected:
    ~ByteSource() = default;
};

class ByteSink {
public:
    // Writes all `size` bytes. Throws StreamError.
    virtual void write(const char* data, size_t size) = 0;

protected:
    ~ByteSink() = default;
};

// Writes `text` where a failure has nowhere left to be reported (standard
// error itself): a StreamError is swallowed. Returns whether it was written.
inline bool write_last_resort(ByteSink& sink, std::string_view text) noexcept {
    try {
        sink.write(text.data(), text.size());
        return true;
    } catch (const StreamError&) {
        return false;
    }
}

}  // namespace kestrion
