#include "byte_streams.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

extern char** environ;

namespace kestrion {
namespace {

std::string drain(InputBuffer& in) {
    std::string text;
    for (int c = in.peek(); c != InputBuffer::kEnd; c = in.peek()) {
        text += static_cast<char>(c);
        in.advance();
    }
    return text;
}

TEST(InputBuffer, ReadsEveryByteWhateverTheChunking) {
    std::string data;
    for (int i = 0; i < 300'000; ++i) data += static_cast<char>(i * 7);
    for (size_t chunk : {size_t{1}, size_t{3}, size_t{4096}, size_t{65536}, SIZE_MAX}) {
        MemorySource source(data, chunk);
        InputBuffer in(source, nullptr);
        EXPECT_EQ(drain(in), data) << chunk;
        EXPECT_EQ(in.peek(), InputBuffer::kEnd);  // and stays at the end
    }
}

TEST(InputBuffer, UngetReachesBackAcrossARefill) {
    MemorySource source2("abcd", 1);
    InputBuffer in2(source2, nullptr);
    EXPECT_EQ(in2.peek(), 'a');
    in2.advance();
    EXPECT_EQ(in2.peek(), 'b');
    in2.advance();
    EXPECT_EQ(in2.peek(), 'c');  // a refill of one byte
    in2.unget(2);
    EXPECT_EQ(drain(in2), "abcd");
}

TEST(InputBuffer, UngetWorksAtTheEndOfInput) {
    MemorySource source("1e", 1);
    InputBuffer in(source, nullptr);
    in.peek();
    in.advance();
    in.peek();
    in.advance();
    EXPECT_EQ(in.peek(), InputBuffer::kEnd);
    in.unget(2);
    EXPECT_EQ(drain(in), "1e");
}

TEST(InputBuffer, DiscardLineStopsAfterTheLineEnd) {
    for (size_t chunk : {size_t{1}, size_t{5}, SIZE_MAX}) {
        MemorySource source("junk junk\nnext\nlast", chunk);
        InputBuffer in(source, nullptr);
        in.discard_line();
        EXPECT_EQ(in.peek(), 'n');
        in.discard_line();
        in.discard_line();  // no line end before the end of input
        EXPECT_EQ(in.peek(), InputBuffer::kEnd);
    }
}

// Records, at each read, what the output side had received by then.
class ObservingSource final : public ByteSource {
public:
    ObservingSource(std::string_view data, const MemorySink& sink) : data_(data), sink_(sink) {}
    size_t read(char* buffer, size_t size) override {
        seen.push_back(sink_.text);
        return inner_.read(buffer, size);
    }
    std::vector<std::string> seen;

private:
    std::string_view data_;
    MemorySource inner_{data_, 2};
    const MemorySink& sink_;
};

TEST(InputBuffer, FlushesOutputBeforeEveryRead) {
    MemorySink sink;
    OutputBuffer out(sink);
    ObservingSource source("1234", sink);
    InputBuffer in(source, &out);
    out.write("prompt one: ");
    in.peek();
    out.write("prompt two: ");
    in.advance();
    in.peek();  // still buffered: no read, no flush
    in.advance();
    in.peek();
    ASSERT_EQ(source.seen.size(), 2u);
    EXPECT_EQ(source.seen[0], "prompt one: ");
    EXPECT_EQ(source.seen[1], "prompt one: prompt two: ");
}

TEST(OutputBuffer, KeepsEveryByteInOrderAcrossFlushes) {
    MemorySink sink;
    std::string expected;
    {
        OutputBuffer out(sink);
        const std::string big(OutputBuffer::kCapacity * 2 + 17, 'x');
        for (int i = 0; i < 5000; ++i) {
            const std::string piece = std::to_string(i) + ",";
            out.write(piece);
            expected += piece;
            if (i % 1000 == 0) {
                out.write(big);
                expected += big;
            }
            char* p = out.reserve(3);
            *p++ = 'a';
            *p++ = 'b';
            out.commit(p);
            expected += "ab";
        }
        out.flush();
    }
    EXPECT_EQ(sink.text, expected);
}

TEST(FdStreams, WriteFailureNamesTheStreamAndCause) {
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
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    // Writing: the reader drains slowly, so the pipe fills and writes would block.
    const pid_t reader = spawn_shell("sleep 0.1; cat > /dev/null", fds[0], 0);
    ::close(fds[0]);
    ::fcntl(fds[1], F_SETFL, O_NONBLOCK);
    const std::string block(kSize, 'k');
    FdSink(fds[1], "standard output").write(block.data(), block.size());
    ::close(fds[1]);
    ::waitpid(reader, nullptr, 0);

    // Reading: the data arrives later, so the first reads would block.
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
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

TEST(FdStreams, ReadFailureIsReported) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ::close(fds[0]);
    FdSource source(fds[0], "standard input");  // closed descriptor
    char c;
    EXPECT_THROW(source.read(&c, 1), StreamError);
    ::close(fds[1]);
}

}  // namespace
}  // namespace kestrion
