#include "stream_buffers.h"

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


bool InputBuffer::refill() {
    if (at_end_) return false;
    if (flush_first_ != nullptr) flush_first_->flush();
    pos_ = end_ = storage_;
    std::memset(storage_, 0, kPadding);  // the padding, should the read fail
    const size_t n = source_.read(storage_, kBlock);
    std::memset(storage_ + n, 0, kPadding);
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
