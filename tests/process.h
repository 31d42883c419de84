// Running the built program as a child process, with pipes on its streams:
// process.cpp on POSIX systems, process_windows.cpp on Windows.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace kestrion::testing {

enum class Output {
    pipe,         // read by the test
    dev_full,     // every write fails: no space left (POSIX only)
    closed,       // no descriptor 1 at all (POSIX only)
    broken_pipe,  // a pipe whose reader has gone
};

struct Launch {
    std::vector<std::string> args;
    bool merge_error = false;  // standard error into standard output's pipe, as 2>&1
    Output output = Output::pipe;
    bool ignore_sigpipe = true;       // the child's SIGPIPE disposition (POSIX only)
    bool close_input = false;         // no descriptor 0
    size_t output_limit = SIZE_MAX;   // stop reading after this much, as `| head -c` does
};

struct Finished {
    std::string out;
    std::string err;
    int status = -1;  // exit status, or 128 + signal number
    int64_t peak_rss_bytes = 0;  // the child's peak resident memory
};

// Fills a buffer with the next piece of input; 0 ends it.
using Feed = std::function<size_t(char* buffer, size_t size)>;

Finished run_program(const Launch& launch, Feed feed);
// The same with all of `input` as the feed; the runners share it.
inline Finished run_program(const Launch& launch, const std::string& input) {
    size_t at = 0;
    return run_program(launch, [&](char* buffer, size_t size) {
        const size_t n = std::min(size, input.size() - at);
        std::memcpy(buffer, input.data() + at, n);
        at += n;
        return n;
    });
}
inline Finished run_program(const std::vector<std::string>& args, const std::string& input,
                            bool merge_error = false) {
    return run_program(Launch{args, merge_error}, input);
}

// Whether this system has a /dev/full to open, where every write fails
// for want of space: Linux and FreeBSD have one; macOS and Windows have
// none (open fails with ENOENT).
bool dev_full_opens();

#ifndef _WIN32
// A pipe whose two ends close on exec, made with pipe() and fcntl() since
// pipe2() is not on every POSIX system (macOS lacks it).
void open_pipe(int fds[2]);
#endif

// A running child driven through pipes, a step at a time.
class Child {
public:
    explicit Child(const std::vector<std::string>& args);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    void write(const std::string& text);
    // Reads standard output until everything read so far ends with `text`;
    // false if that takes longer than `timeout_ms` or the output ends first.
    bool wait_for_output_ending(const std::string& text, int timeout_ms = 5000);
    const std::string& output() const { return out_; }
    // Closes standard input, reads the rest of standard output, and returns
    // the exit status (or 128 + signal number).
    int wait();

private:
    // The platform's process and pipe ends: POSIX ids and descriptors, or
    // Windows handles.
    intptr_t pid_ = -1;
    intptr_t in_ = -1;
    intptr_t out_fd_ = -1;
    std::string out_;
};

}  // namespace kestrion::testing
