// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Runs one of the programs with arguments and environment given as bytes
// (file names that are not UTF-8 included, which QProcess cannot pass), and
// collects its exit status and what it printed. A run that outlasts its time
// is killed and reported as such.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace sg::testing {

struct RawRun {
    int exitCode = -1;   // the exit status, -1 when killed by a signal
    int signal = 0;      // the signal that ended it
    bool timedOut = false;
    std::string standardOutput;
    std::string standardError;
};

// Where the program's standard output goes: collected, a full device
// (/dev/full: every write fails with ENOSPC), or closed from the start.
enum class StandardOutput { Collected, Full, Closed };

// `environment` entries ("NAME=value") are added to the test's own, and
// replace those of the same name; an entry "NAME" alone removes it.
inline RawRun runRaw(const std::vector<std::string>& arguments, const std::vector<std::string>& environment = {},
                     std::chrono::milliseconds limit = std::chrono::seconds(60),
                     StandardOutput output = StandardOutput::Collected) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        bool replaced = false;
        for (const std::string& add : environment)
            if (entry.substr(0, entry.find('=')) == add.substr(0, add.find('='))) replaced = true;
        if (!replaced) env.push_back(entry);
    }
    for (const std::string& add : environment)
        if (add.find('=') != std::string::npos) env.push_back(add);
    std::vector<char*> argv, envp;
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    RawRun run;
    int errPipe[2], outPipe[2];
    if (::pipe(errPipe) != 0 || ::pipe(outPipe) != 0) return run;
    const pid_t child = ::fork();
    if (child == 0) {
        if (output == StandardOutput::Collected) {
            ::dup2(outPipe[1], 1);
        } else if (output == StandardOutput::Full) {
            const int full = ::open("/dev/full", O_WRONLY);
            if (full < 0) ::_exit(126);
            ::dup2(full, 1);
            ::close(full);
        } else {
            ::close(1);
        }
        ::dup2(errPipe[1], 2);
        for (int fd : {errPipe[0], errPipe[1], outPipe[0], outPipe[1]}) ::close(fd);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(errPipe[1]);
    ::close(outPipe[1]);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* into[2] = {&run.standardOutput, &run.standardError};
    char buffer[4096];
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            run.timedOut = true;
            ::kill(child, SIGKILL);
            break;
        }
        if (::poll(fds, 2, static_cast<int>(left.count())) <= 0) continue;
        for (int k = 0; k < 2; ++k) {
            if (fds[k].fd < 0 || fds[k].revents == 0) continue;
            const ssize_t n = ::read(fds[k].fd, buffer, sizeof buffer);
            if (n > 0) {
                into[k]->append(buffer, static_cast<std::size_t>(n));
            } else {
                ::close(fds[k].fd);
                fds[k].fd = -1;
            }
        }
    }
    for (const pollfd& p : fds)
        if (p.fd >= 0) ::close(p.fd);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
    return run;
}

}  // namespace sg::testing
