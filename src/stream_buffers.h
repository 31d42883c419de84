// The block buffers between the dialogue and its byte streams: output
// collects in a fixed buffer and goes to the sink 64 KiB at a time, or when
// flushed; input is read 64 KiB at a time into a fixed buffer, and the
// output is flushed before every read that may block, so a prompt is always
// visible while the program waits.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstring>
#include <string_view>

#include "byte_stream.h"

namespace kestrion {

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
    // Room for `size` bytes; hand the end of what was written to commit().
    char* reserve(size_t size) {
        assert(size <= kCapacity);
        if (size > kCapacity - used_) flush();
        return data_ + used_;
    }
    void commit(char* end) {
        assert(end >= data_ + used_ && end <= data_ + kCapacity);
        used_ = static_cast<size_t>(end - data_);
    }
    void flush();

private:
    void write_slow(std::string_view text);

    ByteSink& sink_;
    size_t used_ = 0;
    char data_[kCapacity];
};


// A reader may look at the bytes already read as one contiguous run, and
// consume them at once. Past the bytes read lie kPadding zero bytes, so
// that a reader may load whole words near the end: a zero byte is neither
// white space nor part of a number, so it stops every run there.
class InputBuffer {
public:
    static constexpr int kEnd = -1;
    static constexpr size_t kBlock = 64 * 1024;
    static constexpr size_t kPadding = 16;

    // `flush_first` is flushed before every read from `source`, which may block.
    InputBuffer(ByteSource& source, OutputBuffer* flush_first) : source_(source), flush_first_(flush_first) {
        std::memset(storage_, 0, kPadding);
    }
    InputBuffer(const InputBuffer&) = delete;
    InputBuffer& operator=(const InputBuffer&) = delete;

    // The next byte (0..255) without consuming it, or kEnd at end of input.
    int peek() {
        if (pos_ == end_ && !refill()) return kEnd;
        return static_cast<unsigned char>(*pos_);
    }
    // Consumes the byte peek() returned.
    void advance() {
        assert(pos_ < end_);
        ++pos_;
    }
    // The bytes read and not yet consumed, [position(), end()), without
    // reading more; kPadding zero bytes follow end().
    const char* position() const { return pos_; }
    const char* end() const { return end_; }
    // Consumes the bytes before `to`, which lies within [position(), end()].
    void consume_to(const char* to) {
        assert(to >= pos_ && to <= end_);
        pos_ = to;
    }
    // Consumes everything through the next line end (or to end of input).
    void discard_line();

private:
    bool refill();

    ByteSource& source_;
    OutputBuffer* flush_first_;
    bool at_end_ = false;
    char storage_[kBlock + kPadding];
    const char* pos_ = storage_;
    const char* end_ = storage_;
};

}  // namespace kestrion
