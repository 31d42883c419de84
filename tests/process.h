// Running the built program as a child process, with pipes on its streams.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace kestrion::testing {

struct Finished {
    std::string out;
    std::string err;
    int status = -1;  // exit status, or 128 + signal number
};

// Feeds `input` to standard input, then closes it. With `merge_error`,
// standard error shares standard output's pipe, as with 2>&1.
Finished run_program(const std::vector<std::string>& args, const std::string& input, bool merge_error = false);

// A running child driven through pipes, a step at a time.
class Child {
public:
    explicit Child(const std::vector<std::string>& args);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    void write(const std::string& text);
    void close_input();
    // Reads standard output until everything read so far ends with `text`;
    // false if that takes longer than `timeout_ms` or the output ends first.
    bool wait_for_output_ending(const std::string& text, int timeout_ms = 5000);
    const std::string& output() const { return out_; }
    // Closes standard input, reads the rest of standard output, and returns
    // the exit status (or 128 + signal number).
    int wait();

private:
    pid_t pid_ = -1;
    int in_ = -1;
    int out_fd_ = -1;
    std::string out_;
};

}  // namespace kestrion::testing
