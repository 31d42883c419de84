#include "process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <string_view>

extern char** environ;

namespace kestrion::testing {

void open_pipe(int fds[2]) {
    if (::pipe(fds) != 0) throw std::runtime_error("pipe");
    for (int i = 0; i < 2; ++i) {
        if (::fcntl(fds[i], F_SETFD, FD_CLOEXEC) != 0) throw std::runtime_error("pipe close-on-exec");
    }
}

bool dev_full_opens() {
    const int fd = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

namespace {

// The test process never dies of a write to a child that has gone.
void ignore_sigpipe_here() { ::signal(SIGPIPE, SIG_IGN); }

// `in`, `out`, `err`: descriptors for 0, 1, 2 in the child; -1 closes it.
pid_t spawn(const std::vector<std::string>& args, int in, int out, int err, bool default_sigpipe) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const int targets[3] = {in, out, err};
    for (int fd = 0; fd < 3; ++fd) {
        if (targets[fd] < 0) {
            posix_spawn_file_actions_addclose(&actions, fd);
        } else {
            posix_spawn_file_actions_adddup2(&actions, targets[fd], fd);
        }
    }
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    if (default_sigpipe) {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGPIPE);
        posix_spawnattr_setsigdefault(&attributes, &set);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    }
    // A cross build runs the program under its emulator: "qemu-aarch64|-L|…".
    std::vector<std::string> command;
    const std::string_view launcher = KESTRION_LAUNCHER;
    for (size_t at = 0; at < launcher.size();) {
        const size_t bar = std::min(launcher.find('|', at), launcher.size());
        command.emplace_back(launcher.substr(at, bar - at));
        at = bar + 1;
    }
    command.insert(command.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (const auto& a : command) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid;
    const int rc = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (rc != 0) throw std::runtime_error("cannot start " + args[0]);
    return pid;
}

// getrusage's ru_maxrss in bytes: Apple's systems count it in bytes, Linux,
// the BSDs and the others in kibibytes.
int64_t peak_rss_bytes(const rusage& usage) {
#ifdef __APPLE__
    return usage.ru_maxrss;
#else
    return int64_t{usage.ru_maxrss} * 1024;
#endif
}

int wait_child(pid_t pid, int64_t* peak_rss = nullptr) {
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0) {
    }
    if (peak_rss != nullptr) *peak_rss = peak_rss_bytes(usage);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

Finished run_program(const Launch& launch, Feed feed) {
    ignore_sigpipe_here();
    int in[2], out[2], err[2];
    open_pipe(in);
    open_pipe(out);
    open_pipe(err);
    int child_out = out[1];
    int dev_full = -1;
    if (launch.output == Output::dev_full) {
        dev_full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
        if (dev_full < 0) throw std::runtime_error("cannot open /dev/full (see dev_full_opens)");
        child_out = dev_full;
    } else if (launch.output == Output::closed) {
        child_out = -1;
    } else if (launch.output == Output::broken_pipe) {
        ::close(out[0]);
        out[0] = -1;
    }
    const pid_t pid = spawn(launch.args, launch.close_input ? -1 : in[0], child_out,
                            launch.merge_error ? child_out : err[1], !launch.ignore_sigpipe);
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    if (dev_full >= 0) ::close(dev_full);

    // Never block on the child's input while it waits for us to read its output.
    ::fcntl(in[1], F_SETFL, ::fcntl(in[1], F_GETFL) | O_NONBLOCK);

    Finished result;
    std::string pending;
    size_t pending_at = 0;
    pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {in[1], POLLOUT, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        ::poll(fds, 3, -1);
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[65536];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) sinks[i]->append(buffer, static_cast<size_t>(n));
            if (n <= 0 || (i == 0 && result.out.size() >= launch.output_limit)) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
            }
        }
        if (fds[2].fd >= 0 && fds[2].revents != 0) {
            if (pending_at == pending.size()) {
                pending.resize(1 << 20);
                pending.resize(feed(pending.data(), pending.size()));
                pending_at = 0;
            }
            const ssize_t n = pending.empty() ? -1 : ::write(fds[2].fd, pending.data() + pending_at, pending.size() - pending_at);
            if (n > 0) {
                pending_at += static_cast<size_t>(n);
            } else if (n < 0 && !pending.empty() && errno == EAGAIN) {
                continue;
            } else {
                ::close(fds[2].fd);
                fds[2].fd = -1;
            }
        }
    }
    if (fds[2].fd >= 0) ::close(fds[2].fd);
    result.status = wait_child(pid, &result.peak_rss_bytes);
    return result;
}

Child::Child(const std::vector<std::string>& args) {
    ignore_sigpipe_here();
    int in[2], out[2];
    open_pipe(in);
    open_pipe(out);
    pid_ = spawn(args, in[0], out[1], 2, false);
    ::close(in[0]);
    ::close(out[1]);
    in_ = in[1];
    out_fd_ = out[0];
}

Child::~Child() {
    if (in_ >= 0) ::close(in_);
    if (out_fd_ >= 0) ::close(out_fd_);
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        wait_child(pid_);
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

bool Child::wait_for_output_ending(const std::string& text, int timeout_ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!out_.ends_with(text)) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd fd = {static_cast<int>(out_fd_), POLLIN, 0};
        if (::poll(&fd, 1, static_cast<int>(left.count())) <= 0) continue;
        char buffer[4096];
        const ssize_t n = ::read(out_fd_, buffer, sizeof buffer);
        if (n <= 0) return false;
        out_.append(buffer, static_cast<size_t>(n));
    }
    return true;
}

int Child::wait() {
    if (in_ >= 0) ::close(in_);
    in_ = -1;
    char buffer[4096];
    for (ssize_t n; (n = ::read(out_fd_, buffer, sizeof buffer)) > 0;) out_.append(buffer, static_cast<size_t>(n));
    const int status = wait_child(pid_);
    pid_ = -1;
    return status;
}

}  // namespace kestrion::testing
