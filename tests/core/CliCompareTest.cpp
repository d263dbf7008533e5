#include <chrono>
#include <gtest/gtest.h>
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
    // "/" against an empty directory takes seconds on any machine; the
    // signal goes once the walk has entered a directory below "/".
    TempDir tmp;
    testsupport::makeDir(tmp / "empty");
    std::chrono::milliseconds elapsed{};
    const int code = testsupport::interruptCli(
        {"compare", "/", tmp / "empty"}, tmp / "out",
        [&](pid_t child) { return testsupport::walksBelowRoot(child, tmp / "empty"); }, &elapsed);
    EXPECT_EQ(code, 130);
    EXPECT_LT(elapsed, std::chrono::seconds(2));
    EXPECT_EQ(testsupport::readFile(tmp / "out"), ""); // nothing printed
}
