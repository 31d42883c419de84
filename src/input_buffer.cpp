#include "input_buffer.h"

#include <cstring>

namespace kestrion {

bool InputBuffer::refill() {
    if (at_end_) return false;
    if (flush_first_ != nullptr) flush_first_->flush();
    pos_ = end_ = storage_;
    const size_t n = source_.read(storage_, kBlock);
    if (n == 0) {
        at_end_ = true;
        return false;
    }
    end_ = storage_ + n;
    return true;
}

void InputBuffer::discard_line() {
    for (;;) {
        if (pos_ == end_ && !refill()) return;
        const void* newline = std::memchr(pos_, '\n', static_cast<size_t>(end_ - pos_));
        if (newline != nullptr) {
            pos_ = static_cast<const char*>(newline) + 1;
            return;
        }
        pos_ = end_;
    }
}

}  // namespace kestrion
