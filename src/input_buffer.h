// Block-buffered input: 64 KiB reads into a fixed buffer. A reader may look
// at the bytes already read as one contiguous run, and consume them at once.
#pragma once

#include <cassert>
#include <cstddef>

#include "byte_stream.h"
#include "output_buffer.h"

namespace kestrion {

class InputBuffer {
public:
    static constexpr int kEnd = -1;
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
    // Consumes the byte peek() returned.
    void advance() {
        assert(pos_ < end_);
        ++pos_;
    }
    // The bytes read and not yet consumed, [position(), end()), without reading more.
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
    char storage_[kBlock];
    const char* pos_ = storage_;
    const char* end_ = storage_;
};

}  // namespace kestrion
