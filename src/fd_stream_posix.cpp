#include "fd_stream.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace kestrion {
namespace {

// After a read or write failed with `error`: true to try again (interrupted,
// or a non-blocking descriptor that is ready now), false if it truly failed.
// A poll() that fails itself reports its own error, so nothing spins.
bool wait_until_ready(int fd, short events, int& error) {
    if (error == EINTR) return true;
    if (error != EAGAIN && error != EWOULDBLOCK) return false;
    pollfd p = {fd, events, 0};
    while (::poll(&p, 1, -1) < 0) {
        if (errno != EINTR) {
            error = errno;
            return false;
        }
    }
    return true;
}

}  // namespace

// POSIX streams are bytes already: nothing to set.
void set_up_standard_streams() {}

size_t FdSource::read(char* buffer, size_t size) {
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, size);
        if (n >= 0) return static_cast<size_t>(n);
        int error = errno;
        if (!wait_until_ready(fd_, POLLIN, error)) throw_stream_error("cannot read", name_, error);
    }
}

void FdSink::write(const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd_, data, size);
        if (n < 0) {
            int error = errno;
            if (wait_until_ready(fd_, POLLOUT, error)) continue;
            throw_stream_error("cannot write", name_, error);
        }
        // A write that takes nothing would repeat for ever: report it as an I/O error.
        if (n == 0) throw_stream_error("cannot write", name_, EIO);
        data += n;
        size -= static_cast<size_t>(n);
    }
}

}  // namespace kestrion
