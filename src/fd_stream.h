// Byte streams over POSIX file descriptors. A descriptor inherited in
// non-blocking mode is waited on with poll(), not treated as failed.
#pragma once

#include "byte_stream.h"

namespace kestrion {

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

}  // namespace kestrion
