#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "fd_stream.h"

namespace kestrion {

// Binary mode on all three: the C runtime's text mode would write every
// LF as CR LF and end input at a byte 0x1A, so the bytes would not be
// those the program writes and reads on every other platform.
void set_up_standard_streams() {
    for (int fd : {kStandardInput, kStandardOutput, kStandardError}) _setmode(fd, _O_BINARY);
}

// The runtime's descriptors block on reads and writes: no waiting of our own.
size_t FdSource::read(char* buffer, size_t size) {
    const int n = ::_read(fd_, buffer, static_cast<unsigned>(std::min<size_t>(size, INT_MAX)));
    if (n < 0) throw_stream_error("cannot read", name_, errno);
    return static_cast<size_t>(n);
}

void FdSink::write(const char* data, size_t size) {
    while (size > 0) {
        const int n = ::_write(fd_, data, static_cast<unsigned>(std::min<size_t>(size, INT_MAX)));
        if (n < 0) {
            int error = errno;
            // A pipe whose reader has gone: Windows says ERROR_NO_DATA (or
            // ERROR_BROKEN_PIPE), which the runtime reports as EINVAL.
            const DWORD cause = GetLastError();
            if (error == EINVAL && (cause == ERROR_NO_DATA || cause == ERROR_BROKEN_PIPE)) error = EPIPE;
            throw_stream_error("cannot write", name_, error);
        }
        // A write that takes nothing would repeat for ever: report it as an I/O error.
        if (n == 0) throw_stream_error("cannot write", name_, EIO);
        data += n;
        size -= static_cast<size_t>(n);
    }
}

}  // namespace kestrion
