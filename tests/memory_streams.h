// Byte streams over memory, standing in for the standard streams.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "byte_stream.h"

namespace kestrion::testing {

class MemorySource final : public ByteSource {
public:
    // `chunk` limits each read, to exercise numbers split across refills.
    explicit MemorySource(std::string_view data, size_t chunk = SIZE_MAX) : data_(data), chunk_(chunk) {}
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

}  // namespace kestrion::testing
