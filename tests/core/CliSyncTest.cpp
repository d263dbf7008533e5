#include <gtest/gtest.h>


#include "support/RunCli.h"
#include "support/TempDir.h"

using testsupport::TempDir;
using testsupport::runCli;
using testsupport::quoted;
using testsupport::writeFile;

TEST(CliSync, RunsTheCommandAndPrintsTheCompletionText)
{
    TempDir tmp;
    writeFile(tmp / "one/a.txt", "a", 1600000000);
    writeFile(tmp / "one/sub/b.txt", "b", 1600000000);
    writeFile(tmp / "two/old.txt", "o", 1600000000);
    const std::string dirs = quoted(tmp / "one") + " " + quoted(tmp / "two");
    std::string out;
    ASSERT_EQ(runCli("sync one-to-two " + dirs, out), 0);
    EXPECT_EQ(out, "目录一同步到目录二完成！\n");
    EXPECT_TRUE(testsupport::exists(tmp / "two/sub/b.txt"));
    EXPECT_TRUE(testsupport::exists(tmp / "two/old.txt"));
    ASSERT_EQ(runCli("sync one-to-two " + dirs + " --delete-old-files", out), 0);
    EXPECT_FALSE(testsupport::exists(tmp / "two/old.txt"));
    ASSERT_EQ(runCli("compare " + dirs, out), 0);
    EXPECT_EQ(out, "");
    // Nothing left to do: no message.
    ASSERT_EQ(runCli("sync both " + dirs, out), 0);
    EXPECT_EQ(out, "");
}

TEST(CliSync, AFailedRowIsListedAndExitsOne)
{
    TempDir tmp;
    writeFile(tmp / "one/x", "a file", 1600000000);
    writeFile(tmp / "two/x/inner.txt", "i", 1600000000);
    std::string out;
    // A directory stands where the file x should go.
    ASSERT_EQ(runCli("sync one-to-two " + quoted(tmp / "one") + " " + quoted(tmp / "two"), out), 1);
    EXPECT_EQ(out.rfind("目录一同步到目录二完成！\n\n有1个操作失败：\n", 0), 0u) << out;
    EXPECT_NE(out.find("\n失败\t新建\tx\tIs a directory\n"), std::string::npos) << out;
}

TEST(CliSync, RefusalsExitOneAndUsageErrorsTwo)
{
    TempDir tmp;
    writeFile(tmp / "two/keep.txt", "k", 1600000000);
    std::string out;
    EXPECT_EQ(runCli("sync one-to-two " + quoted(tmp / "none") + " " + quoted(tmp / "two") + " --delete-old-files",
                     out),
              1);
    EXPECT_NE(out.find("不存在或不是目录，同步没有执行。"), std::string::npos) << out;
    EXPECT_TRUE(testsupport::exists(tmp / "two/keep.txt"));
    EXPECT_EQ(runCli("sync sideways a b", out), 2);
    EXPECT_EQ(runCli("sync both a", out), 2);
    EXPECT_EQ(runCli("sync both a b --delete", out), 2);
}
