// Byte streams over the C runtime's file descriptors for the three standard
// streams. How a descriptor is read and written is the platform's:
// fd_stream_posix.cpp (a descriptor inherited in non-blocking mode is
// waited on, fd_wait_posix.h, not treated as failed) or fd_stream_windows.cpp
// (binary mode; a broken pipe reported as one). The build picks the file.
#pragma once

#include <cstdio>
#include <cstring>

#include "byte_stream.h"

namespace kestrion {

inline constexpr int kStandardInput = 0;
inline constexpr int kStandardOutput = 1;
inline constexpr int kStandardError = 2;

// Puts the standard streams in the state the program reads and writes
// them in, before the first byte.
void set_up_standard_streams();

// `name` ("standard output") goes into error messages.
class FdSource final : public ByteSource {
public:
    FdSource(int fd, const char* name) : fd_(fd), name_(name) {}
    size_t read(char* buffer, size_t size) override;

private:
    int fd_;
    const char* name_;
};

class FdSink final : public ByteSink {
public:
    FdSink(int fd, const char* name) : fd_(fd), name_(name) {}
    void write(const char* data, size_t size) override;

private:
    int fd_;
    const char* name_;
};

// "cannot write standard output: No space left on device"
[[noreturn]] inline void throw_stream_error(const char* what, const char* name, int error) {
    char message[160];
    std::snprintf(message, sizeof message, "%s %s: %s", what, name, std::strerror(error));
    throw StreamError(message);
}

}  // namespace kestrion
