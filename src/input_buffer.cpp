#include "input_buffer.h"

#include <algorithm>
#include <cstring>

namespace kestrion {

bool InputBuffer::refill() {
    if (at_end_) return false;
    if (flush_first_ != nullptr) flush_first_->flush();
    // Keep the last few consumed bytes so unget() works across a refill.
    const size_t keep = std::min(kPushback, static_cast<size_t>(end_ - begin_));
    char* const data = storage_ + kPushback;
    std::memmove(data - keep, end_ - keep, keep);
    begin_ = data - keep;
    pos_ = end_ = data;
    const size_t n = source_.read(data, kBlock);
    if (n == 0) {
        at_end_ = true;
        return false;
    }
    end_ = data + n;
    return true;
}

void InputBuffer::discard_line() {
    for (;;) {
        if (pos_ == end_ && !refill()) return;
        const void* newline = std::memchr(pos_, '\n', static_cast<size_t>(end_ - pos_));
        if (newline != nullptr) {
            pos_ = static_cast<char*>(const_cast<void*>(newline)) + 1;
            return;
        }
        pos_ = end_;
    }
}

}  // namespace kestrion
