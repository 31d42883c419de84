#include "byte_streams.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kestrion {
namespace {

[[noreturn]] void fail(const char* what, const char* name, int error) {
    throw StreamError(std::string(what) + " " + name + ": " + std::strerror(error));
}

// A descriptor inherited in non-blocking mode is waited on, not failed.
bool retry(int fd, short events) {
    if (errno == EINTR) return true;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
    pollfd p = {fd, events, 0};
    ::poll(&p, 1, -1);
    return true;
}

}  // namespace

size_t FdSource::read(char* buffer, size_t size) {
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, size);
        if (n >= 0) return static_cast<size_t>(n);
        if (!retry(fd_, POLLIN)) fail("cannot read", name_, errno);
    }
}

void FdSink::write(const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd_, data, size);
        if (n < 0) {
            if (retry(fd_, POLLOUT)) continue;
            fail("cannot write", name_, errno);
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
}

size_t MemorySource::read(char* buffer, size_t size) {
    const size_t n = std::min({size, chunk_, data_.size()});
    std::memcpy(buffer, data_.data(), n);
    data_.remove_prefix(n);
    return n;
}

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
