#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>

#include "platform/PosixFileSystem.h"
#include "support/RunCli.h"
#include "support/TempDir.h"

using testsupport::quoted;
using testsupport::runCli;
using testsupport::runCliSplit;
using testsupport::TempDir;
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
    EXPECT_NE(out.find("\n失败\t新建\tx\t" + tessarin::platform::systemErrorText(EISDIR) + "\n"), std::string::npos)
        << out;
}

TEST(CliSync, RefusalsExitOneAndUsageErrorsTwo)
{
    TempDir tmp;
    writeFile(tmp / "two/keep.txt", "k", 1600000000);
    std::string out;
    EXPECT_EQ(
        runCli("sync one-to-two " + quoted(tmp / "none") + " " + quoted(tmp / "two") + " --delete-old-files", out), 1);
    EXPECT_NE(out.find("不存在或不是目录，同步没有执行。"), std::string::npos) << out;
    EXPECT_TRUE(testsupport::exists(tmp / "two/keep.txt"));
    // A file as the source, with nothing to run: refused all the same.
    writeFile(tmp / "file", "f", 1600000000);
    testsupport::makeDir(tmp / "empty");
    EXPECT_EQ(runCli("sync one-to-two " + quoted(tmp / "file") + " " + quoted(tmp / "empty"), out), 1);
    EXPECT_NE(out.find("不存在或不是目录，同步没有执行。"), std::string::npos) << out;
    // A bind mount of a folder inside the source is nested, though no path says so.
    writeFile(tmp / "a/b/inner.txt", "i", 1600000000);
    testsupport::makeDir(tmp / "bm");
    if (std::system(("mount --bind " + quoted(tmp / "a/b") + " " + quoted(tmp / "bm") + " 2>/dev/null").c_str()) == 0) {
        const int status =
            runCli("sync two-to-one " + quoted(tmp / "a") + " " + quoted(tmp / "bm") + " --delete-old-files", out);
        std::system(("umount " + quoted(tmp / "bm")).c_str());
        EXPECT_EQ(status, 1);
        EXPECT_NE(out.find("目录二位于目录一之内，同步没有执行。"), std::string::npos) << out;
        EXPECT_TRUE(testsupport::exists(tmp / "a/b/inner.txt"));
    }
    EXPECT_EQ(runCli("sync sideways a b", out), 2);
    EXPECT_EQ(runCli("sync both a", out), 2);
    EXPECT_EQ(runCli("sync both a b --delete", out), 2);
}

TEST(CliSync, AFailedDirectoryPassIsListedAsADirectoryAndExitsOne)
{
    TempDir tmp;
    writeFile(tmp / "one/a.txt", "a", 1600000000);
    writeFile(tmp / "one/b.txt", "b", 1600000000);
    // The hidden directory stays, so its parent cannot be removed.
    writeFile(tmp / "two/extra/.git/HEAD", "h", 1600000000);
    std::string out;
    ASSERT_EQ(runCli("sync one-to-two " + quoted(tmp / "one") + " " + quoted(tmp / "two") + " --delete-old-files", out),
              1);
    const std::string line =
        "失败\t目录\t" + tmp / "two/extra" + "\t" + tessarin::platform::systemErrorText(ENOTEMPTY) + "\n";
    EXPECT_NE(out.find("目录一同步到目录二完成！"), std::string::npos) << out;
    EXPECT_EQ(out.substr(out.size() - line.size()), line) << out;
    EXPECT_EQ(out.find(line), out.rfind(line)) << "listed once for the two rows";
    EXPECT_TRUE(testsupport::exists(tmp / "two/b.txt"));
}

TEST(CliSync, AnErrorThatStopsTheSyncIsPrintedWithTheFailuresBeforeItAndExitsOne)
{
    TempDir tmp;
    writeFile(tmp / "one/x/f.txt", "f", 1600000000);
    writeFile(tmp / "one/y.txt", "y", 1600000000);
    writeFile(tmp / "two/x", "a file", 1600000000);
    std::string out, err;
    ASSERT_EQ(runCliSplit("sync one-to-two " + quoted(tmp / "one") + " " + quoted(tmp / "two"), out, err), 1);
    const std::string exists = tessarin::platform::systemErrorText(EEXIST);
    // x/f.txt, where it stopped, and y.txt did not run.
    EXPECT_EQ(err, "tessarin-cli: 无法创建目录“" + tmp / "two/x" + "”：" + exists +
                       "\ntessarin-cli: 同步已中止，有2个操作没有执行（包括出错的这一个）。\n");
    // The directory pass met the file first: that failure is not lost.
    EXPECT_EQ(out, "失败\t目录\t" + tmp / "two/x" + "\t" + exists + "\n");
}

TEST(CliSync, CtrlCStopsAfterTheRowUnderWayPrintsWhatDidNotRunAndExits130)
{
    TempDir tmp;
    constexpr int kFiles = 2000;
    const std::string content(200, 'x');
    for (int i = 0; i < kFiles; ++i)
        writeFile(tmp / "one/f" + std::to_string(i), content, 1600000000);
    testsupport::makeDir(tmp / "two");
    // Interrupted once the first copy has reached the target.
    const int code = testsupport::interruptCli({"sync", "one-to-two", tmp / "one", tmp / "two"}, tmp / "out",
                                               [&](pid_t) { return !testsupport::namesIn(tmp / "two").empty(); });
    ASSERT_EQ(code, 130);
    const std::string out = testsupport::readFile(tmp / "out");
    const std::string prefix = "同步已停止，有";
    ASSERT_EQ(out.rfind(prefix, 0), 0u) << out;
    const std::size_t notRun = std::stoul(out.substr(prefix.size()));
    EXPECT_EQ(out, prefix + std::to_string(notRun) + "个操作没有执行。\n");
    // Every row ran whole or not at all: no temporary file, no short copy.
    const std::vector<std::string> copied = testsupport::namesIn(tmp / "two");
    EXPECT_GT(notRun, 0u);
    EXPECT_EQ(copied.size() + notRun, static_cast<std::size_t>(kFiles));
    for (const std::string& name : copied)
        ASSERT_EQ(testsupport::readFile(tmp / "two/" + name), content) << name;
}

namespace {

// Every entry under root with its kind, size, time, mode and content's digest.
std::string treeChecksum(const std::string& root)
{
    std::string out;
    testsupport::runShell("cd " + quoted(root) +
                              " && find . -printf '%p %y %s %T@ %m\\n' | sort && find . -type f -print0 | sort -z | "
                              "xargs -0r md5sum",
                          out);
    return out;
}

} // namespace

TEST(CliSync, DryRunPrintsTheRowsTheRunWouldRunAndChangesNothing)
{
    TempDir tmp;
    writeFile(tmp / "one/new.txt", "n", 1600000000);
    writeFile(tmp / "one/sub/deep.txt", "d", 1600000000);
    writeFile(tmp / "one/newer.txt", "newer", 1700000000);
    writeFile(tmp / "two/newer.txt", "older", 1600000000);
    writeFile(tmp / "two/old.txt", "o", 1600000000);
    writeFile(tmp / "two/back.txt", "b", 1600000000); // a "新建" row of the other list only
    const std::string dirs = quoted(tmp / "one") + " " + quoted(tmp / "two");
    const std::string before = treeChecksum(tmp.path());
    std::string out, rows, err;
    // Without deletion, no "删除" row.
    ASSERT_EQ(runCli("sync -n one-to-two " + dirs, rows), 0);
    EXPECT_EQ(rows.find("删除"), std::string::npos) << rows;
    ASSERT_EQ(runCliSplit("sync --dry-run one-to-two " + dirs + " --delete-old-files", rows, err), 0) << err;
    EXPECT_EQ(treeChecksum(tmp.path()), before) << "a dry run changes nothing";
    // Exactly compare's lines for directory one's list, in its order.
    ASSERT_EQ(runCli("compare " + dirs, out), 0);
    EXPECT_EQ(out.substr(0, out.find("←")), rows);
    EXPECT_NE(rows.find("→\t删除\tback.txt\n"), std::string::npos) << rows;
    // The real run does those rows and nothing else.
    ASSERT_EQ(runCli("sync one-to-two " + dirs + " --delete-old-files", out), 0);
    EXPECT_EQ(testsupport::readFile(tmp / "two/newer.txt"), "newer");
    EXPECT_EQ(testsupport::readFile(tmp / "two/sub/deep.txt"), "d");
    EXPECT_FALSE(testsupport::exists(tmp / "two/back.txt"));
    EXPECT_TRUE(testsupport::exists(tmp / "one/new.txt"));
    ASSERT_EQ(runCli("sync -n both " + dirs, rows), 0);
    EXPECT_EQ(rows, "");
}

TEST(CliSync, DeletionsAScriptDidNotMeanAreRefusedWithExitThreeBeforeAnyChange)
{
    TempDir tmp;
    writeFile(tmp / "one/new.txt", "n", 1600000000);
    writeFile(tmp / "two/x.txt", "x", 1600000000);
    writeFile(tmp / "two/y.txt", "y", 1600000000);
    testsupport::makeDir(tmp / "stick");
    const std::string dirs = quoted(tmp / "one") + " " + quoted(tmp / "two");
    const std::string before = treeChecksum(tmp.path());
    std::string out, err;
    EXPECT_EQ(runCliSplit("sync one-to-two " + dirs + " --delete-old-files --max-delete=1", out, err), 3);
    EXPECT_EQ(err, "tessarin-cli: 同步将删除2个文件，多于 --max-delete 允许的1个，没有执行。\n");
    EXPECT_EQ(runCliSplit("sync -n one-to-two " + dirs + " --delete-old-files --max-delete 1", out, err), 3);
    EXPECT_EQ(out, "");
    // An empty mount point as the source would empty the target.
    const std::string fromStick = "sync two-to-one " + quoted(tmp / "two") + " " + quoted(tmp / "stick/");
    EXPECT_EQ(runCliSplit(fromStick + " --delete-old-files", out, err), 3);
    EXPECT_EQ(err, "tessarin-cli: 源目录“" + tmp / "stick" +
                       "”中没有任何文件，同步将删除目标中的全部2个文件，没有执行。确需如此时请加 "
                       "--allow-empty-source。\n");
    EXPECT_EQ(treeChecksum(tmp.path()), before);
    // Within the limit, or allowed: it runs.
    ASSERT_EQ(runCli("sync one-to-two " + dirs + " --delete-old-files --max-delete=2", out), 0);
    EXPECT_FALSE(testsupport::exists(tmp / "two/x.txt"));
    EXPECT_TRUE(testsupport::exists(tmp / "two/new.txt"));
    ASSERT_EQ(runCli(fromStick + " --delete-old-files --allow-empty-source", out), 0);
    EXPECT_EQ(testsupport::namesIn(tmp / "two"), std::vector<std::string>{});
}

TEST(CliSync, ProgressIsDrawnOnATerminalOnlyAndClearedBeforeTheMessage)
{
    TempDir tmp;
    writeFile(tmp / "one/a.txt", std::string(3000, 'a'), 1600000000);
    writeFile(tmp / "one/b.txt", std::string(1000, 'b'), 1600000000);
    const std::string dirs = quoted(tmp / "one") + " " + quoted(tmp / "two");
    std::string out, err;
    // Under a pseudo-terminal, standard output and error both reach it.
    const auto onTerminal = [&](const std::string& args) {
        testsupport::runShell("script -qec " + quoted(std::string(TESSARIN_CLI_PATH) + " " + args) + " /dev/null", out);
        return out;
    };
    const std::string drawn = onTerminal("sync one-to-two " + dirs);
    EXPECT_NE(drawn.find("\r\033[K已同步0/2个文件，0 B/3.9 KiB，"), std::string::npos) << drawn;
    const std::string end = "\r\033[K目录一同步到目录二完成！\r\n";
    ASSERT_GE(drawn.size(), end.size());
    EXPECT_EQ(drawn.substr(drawn.size() - end.size()), end) << drawn;
    ASSERT_EQ(runCli("compare " + dirs, out), 0);
    EXPECT_EQ(out, "");
    // Quiet, or standard error no terminal: nothing drawn.
    EXPECT_EQ(onTerminal("sync -q one-to-two " + quoted(tmp / "one") + " " + quoted(tmp / "three")),
              "目录一同步到目录二完成！\r\n");
    ASSERT_EQ(runCliSplit("sync one-to-two " + quoted(tmp / "one") + " " + quoted(tmp / "four"), out, err), 0);
    EXPECT_EQ(err, "");
}
