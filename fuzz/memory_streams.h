// The fuzzer's streams: its input in memory, whole or a few bytes a read,
// and what the dialogue writes, collected.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "byte_stream.h"

namespace kestrion::fuzz {

class MemorySource final : public ByteSource {
public:
    MemorySource(std::string_view data, size_t chunk) : data_(data), chunk_(chunk) {}
    size_t read(char* buffer, size_t size) override {
        const size_t n = std::min({size, chunk_, data_.size()});
        std::memcpy(buffer, data_.data(), n);
        data_.remove_prefix(n);
        return n;
    }

private:
    std::string_view data_;
    size_t chunk_;
};

class MemorySink final : public ByteSink {
public:
    void write(const char* data, size_t size) override { text.append(data, size); }
    std::string text;
};

}  // namespace kestrion::fuzz
