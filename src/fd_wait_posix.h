// Waiting until a standard stream that another program left non-blocking
// can be read or written again (POSIX systems).
#pragma once

#include <poll.h>

namespace kestrion {

// The poll() the wait asks first: the system's, or a test's stand-in.
using PollFunction = int (*)(pollfd* fds, nfds_t count, int timeout);

// After a read or write on `fd` failed with `error`: true to try again
// (interrupted, or a non-blocking descriptor that is ready now), false if
// it truly failed, with `error` then the cause. The wait blocks in poll();
// where poll() answers POLLNVAL for a descriptor that is open, as macOS's
// does for a terminal, it blocks in select() instead, which can wait on
// one. Either way the wait sleeps in the system until the descriptor is
// ready, so no loop of reads and waits spins.
bool wait_until_ready(int fd, bool for_writing, int& error, PollFunction poll_function = ::poll);

}  // namespace kestrion
