#include "fd_stream.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <string>

#include "process.h"

#ifdef _WIN32
#include <io.h>
#else
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "fd_wait_posix.h"

extern char** environ;
#endif

namespace kestrion {
namespace {

#ifdef _WIN32

// The C runtime reports a write to a pipe whose reader has gone as EINVAL.
TEST(FdStreams, BrokenPipeIsReportedAsOne) {
    int fds[2];
    ASSERT_EQ(::_pipe(fds, 4096, _O_BINARY), 0);
    ::_close(fds[0]);
    FdSink sink(fds[1], "standard output");
    try {
        sink.write("x", 1);
        FAIL() << "writing to a pipe without a reader succeeded";
    } catch (const StreamError& e) {
        EXPECT_STREQ(e.what(), "cannot write standard output: Broken pipe");
    }
    ::_close(fds[1]);
}

#else

TEST(FdStreams, WriteFailureNamesTheStreamAndCause) {
    if (!testing::dev_full_opens()) GTEST_SKIP() << "this system has no /dev/full to open (macOS has none)";
    const int fd = ::open("/dev/full", O_WRONLY);
    ASSERT_GE(fd, 0);
    FdSink sink(fd, "standard output");
    try {
        sink.write("x", 1);
        FAIL() << "writing to /dev/full succeeded";
    } catch (const StreamError& e) {
        EXPECT_STREQ(e.what(), "cannot write standard output: No space left on device");
    }
    ::close(fd);
}

// Runs a shell command with one end of a pipe as its standard input or output.
pid_t spawn_shell(const char* command, int fd, int target) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fd, target);
    const char* argv[] = {"sh", "-c", command, nullptr};
    pid_t pid = -1;
    posix_spawnp(&pid, "sh", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

TEST(FdStreams, NonBlockingDescriptorsWaitInsteadOfFailing) {
    constexpr size_t kSize = size_t{1} << 20;  // far more than a pipe holds
    int fds[2];
    ASSERT_NO_THROW(testing::open_pipe(fds));
    // Writing: the reader drains slowly, so the pipe fills and writes would block.
    const pid_t reader = spawn_shell("sleep 0.1; cat > /dev/null", fds[0], 0);
    ::close(fds[0]);
    ::fcntl(fds[1], F_SETFL, O_NONBLOCK);
    const std::string block(kSize, 'k');
    FdSink(fds[1], "standard output").write(block.data(), block.size());
    ::close(fds[1]);
    ::waitpid(reader, nullptr, 0);

    // Reading: the data arrives later, so the first reads would block.
    ASSERT_NO_THROW(testing::open_pipe(fds));
    const pid_t writer = spawn_shell("sleep 0.1; head -c 1048576 /dev/zero", fds[1], 1);
    ::close(fds[1]);
    ::fcntl(fds[0], F_SETFL, O_NONBLOCK);
    FdSource source(fds[0], "standard input");
    size_t total = 0;
    char buffer[4096];
    for (size_t n; (n = source.read(buffer, sizeof buffer)) > 0;) total += n;
    ::close(fds[0]);
    ::waitpid(writer, nullptr, 0);
    EXPECT_EQ(total, kSize);
}

// A poll() that answers POLLNVAL for an open descriptor, as macOS's does
// for a terminal, counting its calls: the wait must still sleep until the
// descriptor is ready, without asking poll() again and again.
std::atomic<int> invalid_poll_calls{0};
int poll_answering_invalid(pollfd* fds, nfds_t count, int) {
    ++invalid_poll_calls;
    for (nfds_t i = 0; i < count; ++i) fds[i].revents = POLLNVAL;
    return static_cast<int>(count);
}

TEST(FdStreams, WaitWherePollCannotWaitSleepsUntilReady) {
    int fds[2];
    ASSERT_NO_THROW(testing::open_pipe(fds));
    ::fcntl(fds[0], F_SETFL, O_NONBLOCK);
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ASSERT_EQ(::write(fds[1], "k", 1), 1);
    });
    char c;
    ASSERT_LT(::read(fds[0], &c, 1), 0);  // nothing to read yet
    int error = errno;
    invalid_poll_calls = 0;
    EXPECT_TRUE(wait_until_ready(fds[0], false, error, poll_answering_invalid));
    // Ready: the byte is there, though the read does not block.
    EXPECT_EQ(::read(fds[0], &c, 1), 1);
    EXPECT_EQ(invalid_poll_calls, 1);
    writer.join();
    ::close(fds[0]);
    ::close(fds[1]);

    // A descriptor that is not open at all truly fails.
    error = EAGAIN;
    EXPECT_FALSE(wait_until_ready(fds[0], false, error, poll_answering_invalid));
    EXPECT_EQ(error, EBADF);
}

#endif

// A closed descriptor, on either platform's runtime.
TEST(FdStreams, ReadFailureIsReported) {
    int fds[2];
#ifdef _WIN32
    ASSERT_EQ(::_pipe(fds, 4096, _O_BINARY), 0);
#else
    ASSERT_EQ(::pipe(fds), 0);
#endif
    ::close(fds[0]);
    FdSource source(fds[0], "standard input");
    char c;
    EXPECT_THROW(source.read(&c, 1), StreamError);
    ::close(fds[1]);
}

}  // namespace
}  // namespace kestrion
