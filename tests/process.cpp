#include "process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

extern char** environ;

namespace kestrion::testing {
namespace {

std::vector<char*> argv_of(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    return argv;
}

void make_pipe(int fds[2]) {
    if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
}

pid_t spawn(const std::vector<std::string>& args, int in, int out, int err) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in, 0);
    posix_spawn_file_actions_adddup2(&actions, out, 1);
    posix_spawn_file_actions_adddup2(&actions, err, 2);
    pid_t pid;
    auto argv = argv_of(args);
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error("cannot start " + args[0]);
    return pid;
}

int exit_status(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

Finished run_program(const std::vector<std::string>& args, const std::string& input, bool merge_error) {
    ::signal(SIGPIPE, SIG_IGN);
    int in[2], out[2], err[2];
    make_pipe(in);
    make_pipe(out);
    make_pipe(err);
    const pid_t pid = spawn(args, in[0], out[1], merge_error ? out[1] : err[1]);
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);

    Finished result;
    size_t written = 0;
    int to_child = in[1];
    if (input.empty()) {
        ::close(to_child);
        to_child = -1;
    }
    pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {to_child, POLLOUT, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        ::poll(fds, 3, -1);
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd >= 0 && fds[i].revents != 0) {
                char buffer[65536];
                const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
                if (n > 0) {
                    sinks[i]->append(buffer, static_cast<size_t>(n));
                } else {
                    ::close(fds[i].fd);
                    fds[i].fd = -1;
                }
            }
        }
        if (fds[2].fd >= 0 && fds[2].revents != 0) {
            const ssize_t n = ::write(fds[2].fd, input.data() + written, input.size() - written);
            if (n > 0) written += static_cast<size_t>(n);
            if (n <= 0 || written == input.size()) {
                ::close(fds[2].fd);
                fds[2].fd = -1;
            }
        }
    }
    if (fds[2].fd >= 0) ::close(fds[2].fd);
    result.status = exit_status(pid);
    return result;
}

Child::Child(const std::vector<std::string>& args) {
    ::signal(SIGPIPE, SIG_IGN);
    int in[2], out[2];
    make_pipe(in);
    make_pipe(out);
    pid_ = spawn(args, in[0], out[1], 2);
    ::close(in[0]);
    ::close(out[1]);
    in_ = in[1];
    out_fd_ = out[0];
}

Child::~Child() {
    close_input();
    if (out_fd_ >= 0) ::close(out_fd_);
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        exit_status(pid_);
    }
}

void Child::write(const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(in_, text.data() + done, text.size() - done);
        if (n <= 0) throw std::runtime_error("write to child");
        done += static_cast<size_t>(n);
    }
}

void Child::close_input() {
    if (in_ >= 0) ::close(in_);
    in_ = -1;
}

bool Child::wait_for_output_ending(const std::string& text, int timeout_ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!out_.ends_with(text)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd fd = {out_fd_, POLLIN, 0};
        if (::poll(&fd, 1, static_cast<int>(left.count())) <= 0) continue;
        char buffer[4096];
        const ssize_t n = ::read(out_fd_, buffer, sizeof buffer);
        if (n <= 0) return false;
        out_.append(buffer, static_cast<size_t>(n));
    }
    return true;
}

int Child::wait() {
    close_input();
    char buffer[4096];
    for (ssize_t n; (n = ::read(out_fd_, buffer, sizeof buffer)) > 0;) out_.append(buffer, static_cast<size_t>(n));
    const int status = exit_status(pid_);
    pid_ = -1;
    return status;
}

}  // namespace kestrion::testing
