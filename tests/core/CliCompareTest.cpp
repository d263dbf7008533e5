#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>

#include "support/TempDir.h"

using testsupport::TempDir;
using testsupport::writeFile;

namespace {

// Runs the command-line program; returns its exit code and standard output.
int runCli(const std::string& args, std::string& out)
{
    const std::string command = std::string(TESSARIN_CLI_PATH) + " " + args + " 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    out.clear();
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0)
        out.append(buf, n);
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(CliCompare, PrintsBothListsAsArrowWordName)
{
    TempDir tmp;
    writeFile(tmp / "one/a.txt", "", 1600000000);
    writeFile(tmp / "one/sub/b.txt", "", 1600000000);
    writeFile(tmp / "two/c.txt", "", 1600000000);
    std::string out;
    ASSERT_EQ(runCli("compare '" + tmp / "one" + "' '" + tmp / "two/" + "'", out), 0);
    EXPECT_EQ(out, "→\t新建\tsub/b.txt\n→\t新建\ta.txt\n→\t删除\tc.txt\n"
                   "←\t删除\tsub/b.txt\n←\t删除\ta.txt\n←\t新建\tc.txt\n");
    ASSERT_EQ(runCli("compare '" + tmp / "one" + "' '" + tmp / "two" + "' --no-subfolders", out), 0);
    EXPECT_EQ(out, "→\t新建\ta.txt\n→\t删除\tc.txt\n←\t删除\ta.txt\n←\t新建\tc.txt\n");
}

TEST(CliCompare, UsageErrorsExitTwo)
{
    std::string out;
    EXPECT_EQ(runCli("", out), 2);
    EXPECT_EQ(runCli("compare onlyone", out), 2);
    EXPECT_EQ(runCli("compare a b --bogus", out), 2);
    EXPECT_EQ(runCli("nonsense", out), 2);
}
