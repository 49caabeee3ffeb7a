#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace hx4x::testing_support {

struct ProcessResult {
    int status = -1;  // exit status, or -1 when killed by a signal or timed out
    std::string out;
    std::string err;
};

// How the child starts, beyond its arguments and environment.
struct ProcessSetup {
    std::string directory;              // the current folder; empty: the test's own
    bool close_out_after_line = false;  // the reader of standard output goes away after a line
    bool close_out = false;             // started with standard output closed
    bool close_err = false;             // started with standard error closed
    std::string out_file;               // standard output written to this file instead
    long file_size_limit = -1;          // bytes any file may grow to (a full disk); -1: none
    // Like on_err, for the standard output collected so far (JSON lines); one signal is sent
    // in all, by whichever of the two asks first.
    std::function<int(const std::string&)> on_out;
};

// Runs the program with these arguments and extra environment variables (an empty value
// removes the variable), standard input from /dev/null, collecting both outputs. on_err
// sees the standard error collected so far after each read and may return a signal to send
// once. Killed after timeout_seconds.
inline ProcessResult run_process(const std::string& program, const std::vector<std::string>& args,
                                 const std::map<std::string, std::string>& environment,
                                 const std::function<int(const std::string&)>& on_err = {},
                                 int timeout_seconds = 60, const ProcessSetup& setup = {}) {
    int out_pipe[2];
    int err_pipe[2];
    ProcessResult result;
    if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0) {
        return result;
    }
    const pid_t child = fork();
    if (child == 0) {
        dup2(out_pipe[1], 1);
        dup2(err_pipe[1], 2);
        const int null_input = open("/dev/null", O_RDONLY);
        dup2(null_input, 0);
        close(out_pipe[0]);
        close(err_pipe[0]);
        close(out_pipe[1]);
        close(err_pipe[1]);
        if (null_input != 0) {
            close(null_input);
        }
        if (!setup.out_file.empty()) {
            const int out = open(setup.out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(out, 1);
            close(out);
        }
        if (setup.close_out) {
            close(1);
        }
        if (setup.close_err) {
            close(2);
        }
        if (setup.file_size_limit >= 0) {
            // The signal's default action, as a shell's `ulimit -f` leaves it: the program
            // itself must keep the limit from killing it.
            signal(SIGXFSZ, SIG_DFL);
            const rlimit limit{static_cast<rlim_t>(setup.file_size_limit),
                               static_cast<rlim_t>(setup.file_size_limit)};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (!setup.directory.empty() && chdir(setup.directory.c_str()) != 0) {
            _exit(126);
        }
        for (const auto& [name, value] : environment) {
            if (value.empty()) {
                unsetenv(name.c_str());
            } else {
                setenv(name.c_str(), value.c_str(), 1);
            }
        }
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& arg : args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(out_pipe[1]);
    close(err_pipe[1]);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds);
    bool signalled = false;
    pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
    int open_streams = 2;
    while (open_streams > 0 && std::chrono::steady_clock::now() < deadline) {
        if (poll(fds, 2, 100) <= 0) {
            continue;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || (fds[i].revents & (POLLIN | POLLHUP)) == 0) {
                continue;
            }
            char buffer[4096];
            const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
            if (got <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open_streams;
                continue;
            }
            (i == 0 ? result.out : result.err).append(buffer, static_cast<std::size_t>(got));
            if (i == 0 && setup.close_out_after_line &&
                result.out.find('\n') != std::string::npos) {
                // As `| head -1` does: the reader goes, later writes meet a broken pipe.
                close(fds[i].fd);
                fds[i].fd = -1;
                --open_streams;
                continue;
            }
            const auto& watcher = i == 0 ? setup.on_out : on_err;
            if (watcher && !signalled) {
                if (const int signal_number = watcher(i == 0 ? result.out : result.err);
                    signal_number != 0) {
                    kill(child, signal_number);
                    signalled = true;
                }
            }
        }
    }
    if (open_streams > 0) {
        kill(child, SIGKILL);
    }
    int status = 0;
    waitpid(child, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    for (const pollfd& fd : fds) {
        if (fd.fd >= 0) {
            close(fd.fd);
        }
    }
    return result;
}

}  // namespace hx4x::testing_support
