#include "output_buffer.h"

namespace kestrion {

void OutputBuffer::flush() {
    if (used_ == 0) return;
    const size_t n = used_;
    used_ = 0;  // a failed write is not retried
    sink_.write(data_, n);
}

void OutputBuffer::write_slow(std::string_view text) {
    flush();
    if (text.size() >= kCapacity) {
        sink_.write(text.data(), text.size());
        return;
    }
    std::memcpy(data_, text.data(), text.size());
    used_ = text.size();
}

}  // namespace kestrion
