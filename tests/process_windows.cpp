// The child-process runner on Windows: CreateProcess with anonymous pipes
// on the three standard handles. Input is fed and standard error drained by
// threads of their own, so that no pipe fills while the runner waits on
// another. What Windows has no counterpart for (/dev/full, a closed
// descriptor, SIGPIPE) the tests skip.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <thread>

#include "process.h"

namespace kestrion::testing {
namespace {

struct Pipe {
    HANDLE read = nullptr;
    HANDLE write = nullptr;
};

// A pipe whose `child_end` (the read or the write end) the child inherits.
Pipe make_pipe(bool child_reads) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    Pipe p;
    if (!CreatePipe(&p.read, &p.write, &inherit, 1 << 16)) throw std::runtime_error("CreatePipe");
    SetHandleInformation(child_reads ? p.write : p.read, HANDLE_FLAG_INHERIT, 0);
    return p;
}

void close(HANDLE& h) {
    if (h != nullptr && h != INVALID_HANDLE_VALUE) CloseHandle(h);
    h = nullptr;
}

// A program built here, named by its Unix path, as Windows under Wine sees
// it: on drive Z:, which Wine maps to the root.
std::string windows_path(const std::string& path) {
    if (path.empty() || path[0] != '/') return path;
    std::string converted = "Z:" + path;
    std::replace(converted.begin(), converted.end(), '/', '\\');
    return converted;
}

// The command line the C runtime splits back into `args`: each argument
// quoted, with the backslashes before a quote doubled.
std::string command_line(const std::vector<std::string>& args) {
    std::string line;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string arg = i == 0 ? windows_path(args[i]) : args[i];
        if (i > 0) line += ' ';
        line += '"';
        size_t backslashes = 0;
        for (char c : arg) {
            if (c == '\\') {
                ++backslashes;
                continue;
            }
            line.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
            backslashes = 0;
            line += c;
        }
        line.append(2 * backslashes, '\\');
        line += '"';
    }
    return line;
}

PROCESS_INFORMATION start(const std::vector<std::string>& args, HANDLE in, HANDLE out, HANDLE err) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    std::string line = command_line(args);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        throw std::runtime_error("cannot start " + line);
    }
    CloseHandle(process.hThread);
    return process;
}

// Reads `from` to its end into `text`, or until `limit` bytes.
void drain(HANDLE from, std::string& text, size_t limit = SIZE_MAX) {
    char buffer[65536];
    DWORD n = 0;
    while (text.size() < limit && ReadFile(from, buffer, sizeof buffer, &n, nullptr) && n > 0) text.append(buffer, n);
}

// The peak working set, Windows' peak resident memory, in bytes.
int wait_child(HANDLE process, int64_t* peak_rss = nullptr) {
    WaitForSingleObject(process, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    PROCESS_MEMORY_COUNTERS memory{};
    if (peak_rss != nullptr && GetProcessMemoryInfo(process, &memory, sizeof memory)) {
        *peak_rss = static_cast<int64_t>(memory.PeakWorkingSetSize);
    }
    CloseHandle(process);
    return static_cast<int>(code);
}

}  // namespace

bool dev_full_opens() { return false; }

Finished run_program(const Launch& launch, Feed feed) {
    if (launch.output == Output::dev_full || launch.output == Output::closed) {
        throw std::logic_error("Windows has no such standard output");
    }
    Pipe in = make_pipe(true), out = make_pipe(false), err = make_pipe(false);
    const PROCESS_INFORMATION process =
        start(launch.args, launch.close_input ? INVALID_HANDLE_VALUE : in.read, out.write,
              launch.merge_error ? out.write : err.write);
    close(in.read);
    close(out.write);
    close(err.write);
    if (launch.output == Output::broken_pipe) close(out.read);

    std::thread feeder([&] {
        std::string piece(1 << 20, '\0');
        for (size_t n; (n = feed(piece.data(), piece.size())) > 0;) {
            for (size_t done = 0; done < n;) {
                DWORD wrote = 0;
                if (!WriteFile(in.write, piece.data() + done, static_cast<DWORD>(n - done), &wrote, nullptr)) {
                    close(in.write);  // the child has stopped reading
                    return;
                }
                done += wrote;
            }
        }
        close(in.write);
    });
    Finished result;
    std::thread error_reader([&] { drain(err.read, result.err); });
    if (out.read != nullptr) drain(out.read, result.out, launch.output_limit);
    close(out.read);  // past the limit, the child's next write finds no reader
    result.status = wait_child(process.hProcess, &result.peak_rss_bytes);
    feeder.join();
    error_reader.join();
    close(err.read);
    return result;
}

Child::Child(const std::vector<std::string>& args) {
    Pipe in = make_pipe(true), out = make_pipe(false);
    const PROCESS_INFORMATION process = start(args, in.read, out.write, GetStdHandle(STD_ERROR_HANDLE));
    close(in.read);
    close(out.write);
    pid_ = reinterpret_cast<intptr_t>(process.hProcess);
    in_ = reinterpret_cast<intptr_t>(in.write);
    out_fd_ = reinterpret_cast<intptr_t>(out.read);
}

Child::~Child() {
    HANDLE in = reinterpret_cast<HANDLE>(in_), out = reinterpret_cast<HANDLE>(out_fd_);
    close(in);
    close(out);
    if (pid_ != -1) {
        TerminateProcess(reinterpret_cast<HANDLE>(pid_), 1);
        wait_child(reinterpret_cast<HANDLE>(pid_));
    }
}

void Child::write(const std::string& text) {
    DWORD wrote = 0;
    for (size_t done = 0; done < text.size(); done += wrote) {
        if (!WriteFile(reinterpret_cast<HANDLE>(in_), text.data() + done, static_cast<DWORD>(text.size() - done),
                       &wrote, nullptr)) {
            throw std::runtime_error("write to child");
        }
    }
}

// An anonymous pipe cannot be waited on with a timeout: look at what it
// holds, and read only that.
bool Child::wait_for_output_ending(const std::string& text, int timeout_ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    const HANDLE out = reinterpret_cast<HANDLE>(out_fd_);
    while (!out_.ends_with(text)) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        DWORD available = 0;
        if (!PeekNamedPipe(out, nullptr, 0, nullptr, &available, nullptr)) return false;  // the output ended
        if (available == 0) {
            Sleep(1);
            continue;
        }
        char buffer[4096];
        DWORD n = 0;
        if (!ReadFile(out, buffer, std::min<DWORD>(available, sizeof buffer), &n, nullptr) || n == 0) return false;
        out_.append(buffer, n);
    }
    return true;
}

int Child::wait() {
    HANDLE in = reinterpret_cast<HANDLE>(in_), out = reinterpret_cast<HANDLE>(out_fd_);
    close(in);
    in_ = -1;
    drain(out, out_);
    const int status = wait_child(reinterpret_cast<HANDLE>(pid_));
    pid_ = -1;
    return status;
}

}  // namespace kestrion::testing
