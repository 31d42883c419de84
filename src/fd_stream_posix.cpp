#include <fcntl.h>
#include <sys/select.h>
#include <unistd.h>

#include <cerrno>

#include "fd_stream.h"
#include "fd_wait_posix.h"

namespace kestrion {
namespace {

// select() on the one descriptor, until it is ready or select() fails.
bool select_until_ready(int fd, bool for_writing, int& error) {
    if (fd >= FD_SETSIZE) {  // past what an fd_set holds; the standard streams are 0 to 2
        error = EINVAL;
        return false;
    }
    for (;;) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(fd, &set);
        if (::select(fd + 1, for_writing ? nullptr : &set, for_writing ? &set : nullptr, nullptr, nullptr) >= 0) {
            return true;
        }
        if (errno != EINTR) {
            error = errno;
            return false;
        }
    }
}

}  // namespace

bool wait_until_ready(int fd, bool for_writing, int& error, PollFunction poll_function) {
    if (error == EINTR) return true;
    if (error != EAGAIN && error != EWOULDBLOCK) return false;
    pollfd p = {fd, static_cast<short>(for_writing ? POLLOUT : POLLIN), 0};
    while (poll_function(&p, 1, -1) < 0) {
        if (errno != EINTR) {
            error = errno;
            return false;
        }
    }
    if ((p.revents & POLLNVAL) == 0) return true;
    // POLLNVAL: either the descriptor is not open, or poll() cannot wait on it.
    if (::fcntl(fd, F_GETFD) < 0) {
        error = EBADF;
        return false;
    }
    return select_until_ready(fd, for_writing, error);
}

// POSIX streams are bytes already: nothing to set.
void set_up_standard_streams() {}

size_t FdSource::read(char* buffer, size_t size) {
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, size);
        if (n >= 0) return static_cast<size_t>(n);
        int error = errno;
        if (!wait_until_ready(fd_, false, error)) throw_stream_error("cannot read", name_, error);
    }
}

void FdSink::write(const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd_, data, size);
        if (n < 0) {
            int error = errno;
            if (wait_until_ready(fd_, true, error)) continue;
            throw_stream_error("cannot write", name_, error);
        }
        // A write that takes nothing would repeat for ever: report it as an I/O error.
        if (n == 0) throw_stream_error("cannot write", name_, EIO);
        data += n;
        size -= static_cast<size_t>(n);
    }
}

}  // namespace kestrion
