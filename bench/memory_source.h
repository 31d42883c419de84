// The benchmarks' input: a catalogue in memory, read as the program reads
// standard input.
#pragma once

#include <algorithm>
#include <cstring>
#include <string_view>

#include "byte_stream.h"

namespace kestrion::bench {

class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::string_view data) : data_(data) {}
    size_t read(char* buffer, size_t size) override {
        const size_t n = std::min(size, data_.size());
        std::memcpy(buffer, data_.data(), n);
        data_.remove_prefix(n);
        return n;
    }

private:
    std::string_view data_;
};

}  // namespace kestrion::bench
