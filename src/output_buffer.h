// Block-buffered output: bytes collect in a fixed buffer and go to the sink
// 64 KiB at a time, or when flushed (before any read that may block, so a
// prompt is always visible while the program waits).
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

}  // namespace kestrion
