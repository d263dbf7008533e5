#pragma once
// Runs tessarin-cli with a shell argument text; returns its exit code and
// standard output.
#include <cstdio>
#include <string>
#include <sys/wait.h>

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

inline int runCli(const std::string& args, std::string& out)
{
    return runShell(std::string(TESSARIN_CLI_PATH) + " " + args + " 2>/dev/null", out);
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

} // namespace testsupport
