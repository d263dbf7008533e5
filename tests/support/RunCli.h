#pragma once
// Runs tessarin-cli with a shell argument text; returns its exit code and
// standard output.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "support/TempDir.h"

namespace testsupport {

// Runs a shell command text; returns its exit code and standard output.
inline int runShell(const std::string& command, std::string& out)
{
    FILE* pipe = ::popen(command.c_str(), "r");
    out.clear();
    if (!pipe)
        return -1;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0)
        out.append(buf, n);
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// In a forked child: becomes tessarin-cli with the arguments given.
[[noreturn]] inline void execCli(const std::vector<std::string>& args)
{
    std::vector<char*> argv{const_cast<char*>(TESSARIN_CLI_PATH)};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(TESSARIN_CLI_PATH, argv.data());
    ::_exit(127);
}

inline int runCli(const std::string& args, std::string& out)
{
    return runShell(std::string(TESSARIN_CLI_PATH) + " " + args + " 2>/dev/null", out);
}

// Runs tessarin-cli; standard error goes to err, standard output to out.
inline int runCliSplit(const std::string& args, std::string& out, std::string& err)
{
    TempDir scratch;
    const int code = runShell(std::string(TESSARIN_CLI_PATH) + " " + args + " 2>'" + scratch / "err" + "'", out);
    err = readFile(scratch / "err");
    return code;
}

// As runCli, but the command is killed after the given seconds: a walk that
// does not end returns 137 instead of hanging the suite.
inline int runCliWithin(int seconds, const std::string& args, std::string& out)
{
    return runShell("timeout -s KILL " + std::to_string(seconds) + " " + std::string(TESSARIN_CLI_PATH) + " " + args +
                        " 2>/dev/null",
                    out);
}

// The text quoted for the shell.
inline std::string quoted(const std::string& text)
{
    std::string q = "'";
    for (const char c : text)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs tessarin-cli with the arguments, standard output into the file out,
// sends SIGINT once ready(child's pid) holds and returns its exit code: -1
// when ready() did not hold within 20 s, -2 when it ran on 10 s after the
// signal, -3 when a signal ended it. elapsed is the time from the signal to
// its end.
inline int interruptCli(const std::vector<std::string>& args, const std::string& out,
                        const std::function<bool(pid_t)>& ready, std::chrono::milliseconds* elapsed = nullptr)
{
    const pid_t child = ::fork();
    if (child == 0) {
        const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(fd, 1);
        ::dup2(null, 2);
        execCli(args);
    }
    using Clock = std::chrono::steady_clock;
    // The child's end is an event to wait on (a pidfd turns readable); the
    // readiness has none, so it is looked at again each millisecond the
    // child goes on, until the deadline fails the case.
    const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, child, 0));
    const auto endsWithin = [pidfd](int ms) {
        pollfd p{pidfd, POLLIN, 0};
        return ::poll(&p, 1, ms) > 0;
    };
    int status = 0;
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    bool isReady = false;
    while (!(isReady = ready(child)) && Clock::now() < deadline && !endsWithin(1)) {}
    if (!isReady) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        ::close(pidfd);
        return -1;
    }
    ::kill(child, SIGINT);
    const auto sent = Clock::now();
    const bool ended = endsWithin(10000);
    if (elapsed)
        *elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - sent);
    if (!ended)
        ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    ::close(pidfd);
    if (!ended)
        return -2;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -3;
}

// Whether the process has a directory below "/" open, other than skip: its
// walk of "/" is under way, and has seconds to go.
inline bool walksBelowRoot(pid_t pid, const std::string& skip)
{
    const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
    for (const std::string& fd : namesIn(fds)) {
        char target[4096];
        const ssize_t n = ::readlink((fds + "/" + fd).c_str(), target, sizeof target);
        if (n <= 1 || target[0] != '/')
            continue;
        const std::string path(target, static_cast<std::size_t>(n));
        struct stat st;
        if (path != skip && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            return true;
    }
    return false;
}

} // namespace testsupport
