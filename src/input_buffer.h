// Block-buffered input: 64 KiB reads into a fixed buffer, with a few bytes
// of pushback that survive a refill.
#pragma once

#include <cassert>
#include <cstddef>

#include "byte_stream.h"
#include "output_buffer.h"

namespace kestrion {

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
    // Consumes the byte peek() returned.
    void advance() {
        assert(pos_ < end_);
        ++pos_;
    }
    // Puts back the last `count` consumed bytes, at most kPushback of them.
    void unget(size_t count) {
        assert(count <= kPushback && count <= static_cast<size_t>(pos_ - begin_));
        pos_ -= count;
    }
    // Consumes everything through the next line end (or to end of input).
    void discard_line();

private:
    bool refill();

    ByteSource& source_;
    OutputBuffer* flush_first_;
    bool at_end_ = false;
    char storage_[kPushback + kBlock];
    char* begin_ = storage_ + kPushback;  // the oldest byte unget() may reach
    char* pos_ = begin_;
    char* end_ = begin_;
};

}  // namespace kestrion
