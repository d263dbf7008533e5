#pragma once
// Runs a case as a user without privileges: root bypasses permission bits,
// so a test of an unreadable directory must drop root in a forked child.
#include <cerrno>
#include <cstdlib>
#include <functional>
#include <grp.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "support/RunCli.h"

namespace testsupport {

inline constexpr uid_t kNobody = 65534;

// Drops to uid and gid 65534 with no supplementary groups; false when refused.
inline bool dropPrivileges()
{
    return ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 && ::geteuid() == kNobody;
}

// Runs body in a forked child as uid 65534; returns body's result (0..125),
// 126 when the drop was refused, or -1 when the child did not exit.
inline int runAsNobody(const std::function<int()>& body)
{
    const pid_t pid = ::fork();
    if (pid < 0)
        return -1;
    if (pid == 0)
        ::_exit(dropPrivileges() ? body() : 126);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {}
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs tessarin-cli as uid 65534 with a shell argument text; returns its exit
// code (126: the drop was refused) and its standard output.
inline int runCliAsNobody(const std::string& args, std::string& out)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        ::close(fds[0]);
        ::dup2(fds[1], STDOUT_FILENO);
        if (!dropPrivileges())
            ::_exit(126);
        const std::string command = std::string(TESSARIN_CLI_PATH) + " " + args + " 2>/dev/null";
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    out.clear();
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fds[0], buf, sizeof buf)) != 0) {
        if (n > 0)
            out.append(buf, static_cast<std::size_t>(n));
        else if (errno != EINTR)
            break;
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {}
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Gives a tree to uid 65534 so the dropped child can read and change it.
inline bool giveToNobody(const std::string& path)
{
    return std::system(("chown -R 65534:65534 " + testsupport::quoted(path)).c_str()) == 0;
}

} // namespace testsupport
