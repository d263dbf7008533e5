#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "support/RunCli.h"
#include "support/TempDir.h"

using testsupport::runCli;
using testsupport::TempDir;
using testsupport::writeFile;

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

TEST(CliCompare, CtrlCStopsTheCompareWithExit130AndPrintsNothing)
{
    // "/" against an empty directory takes seconds on any machine: long
    // enough to be interrupted while it lists.
    TempDir tmp;
    testsupport::makeDir(tmp / "empty");
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const std::string empty = tmp / "empty";
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        ::execl(TESSARIN_CLI_PATH, TESSARIN_CLI_PATH, "compare", "/", empty.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_EQ(::kill(child, SIGINT), 0);
    const auto sent = std::chrono::steady_clock::now();
    int status = 0;
    pid_t done = 0;
    while ((done = ::waitpid(child, &status, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() - sent < std::chrono::seconds(3))
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (done == 0) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        ::close(out[0]);
        FAIL() << "still running 3 s after SIGINT";
    }
    EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::seconds(2));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    char buf[256];
    EXPECT_EQ(::read(out[0], buf, sizeof buf), 0); // nothing printed
    ::close(out[0]);
}
