// Block-buffered input and output over the standard streams (or memory, in
// tests). Output is flushed before any read that may block, so a prompt is
// always visible while the program waits, yet a piped catalogue costs one
// write per block rather than one per prompt.
#pragma once

#include <cstddef>
#include <cstring>
#include <stdexcept>
#include <string>
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

// A file descriptor; `name` ("standard output") goes into error messages.
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

class MemorySource final : public ByteSource {
public:
    // `chunk` limits each read, to exercise numbers split across refills.
    explicit MemorySource(std::string_view data, size_t chunk = SIZE_MAX) : data_(data), chunk_(chunk) {}
    size_t read(char* buffer, size_t size) override;

private:
    std::string_view data_;
    size_t chunk_;
};

class MemorySink final : public ByteSink {
public:
    void write(const char* data, size_t size) override { text.append(data, size); }
    std::string text;
};

class OutputBuffer {
public:
    static constexpr size_t kCapacity = 64 * 1024;

    explicit OutputBuffer(ByteSink& sink) : sink_(sink) {}
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;

    void write(std::string_view text) {
        if (text.size() > kCapacity - used_) return write_slow(text);
        std::memcpy(data_ + used_, text.data(), text.size());
        used_ += text.size();
    }
    // Room for `size` (at most kCapacity) bytes; hand the end of what was written to commit().
    char* reserve(size_t size) {
        if (size > kCapacity - used_) flush();
        return data_ + used_;
    }
    void commit(char* end) { used_ = static_cast<size_t>(end - data_); }
    void flush();

private:
    void write_slow(std::string_view text);

    ByteSink& sink_;
    size_t used_ = 0;
    char data_[kCapacity];
};

class InputBuffer {
public:
    static constexpr int kEnd = -1;
    static constexpr size_t kPushback = 8;
    static constexpr size_t kBlock = 64 * 1024;

    // `flush_first` is flushed before every read from `source`, which may block.
    InputBuffer(ByteSource& source, OutputBuffer* flush_first) : source_(source), flush_first_(flush_first) {}
    InputBuffer(const InputBuffer&) = delete;
    InputBuffer& operator=(const InputBuffer&) = delete;

    // The next byte (0..255) without consuming it, or kEnd at end of input.
    int peek() {
        if (pos_ == end_ && !refill()) return kEnd;
        return static_cast<unsigned char>(*pos_);
    }
    void advance() { ++pos_; }
    // Puts back the last `count` (at most kPushback) consumed bytes.
    void unget(size_t count) { pos_ -= count; }
    // Consumes everything through the next line end (or to end of input).
    void discard_line();

private:
    bool refill();

    ByteSource& source_;
    OutputBuffer* flush_first_;
    bool at_end_ = false;
    char storage_[kPushback + kBlock];
    char* begin_ = storage_ + kPushback;
    char* pos_ = begin_;
    char* end_ = begin_;
};

}  // namespace kestrion
