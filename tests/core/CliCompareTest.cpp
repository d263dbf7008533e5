#include <algorithm>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <unistd.h>

#include "support/RunCli.h"
#include "support/TempDir.h"
#include "support/VolumeImage.h"

using testsupport::runCli;
using testsupport::TempDir;
using testsupport::writeFile;
using namespace std::string_literals;

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

namespace {

// Whether a thread of the process waits for a FUSE daemon's answer.
bool waitsOnFuse(pid_t pid)
{
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    for (const std::string& task : testsupport::namesIn(tasks))
        if (testsupport::readFile(tasks + "/" + task + "/wchan") == "request_wait_answer")
            return true;
    return false;
}

// Stops a daemon for its scope: every call on its mount waits.
class StoppedDaemon {
public:
    explicit StoppedDaemon(pid_t pid) : pid_(pid) { ::kill(pid_, SIGSTOP); }
    ~StoppedDaemon() { ::kill(pid_, SIGCONT); }
    StoppedDaemon(const StoppedDaemon&) = delete;
    StoppedDaemon& operator=(const StoppedDaemon&) = delete;

private:
    pid_t pid_;
};

} // namespace

// A volume that stopped answering holds the walk in the kernel, where SIGINT
// is not heard until the process dies: Ctrl+C still ends the command within
// about a second, with 130, even before the command has begun to listen.
TEST(CliCompare, CtrlCEndsACommandHeldByAVolumeThatStoppedAnswering)
{
    testsupport::VolumeImage volume(testsupport::VolumeKind::Exfat);
    REQUIRE_MOUNTED(volume);
    writeFile(volume / "sub/a.txt", "a", 1600000000);
    const pid_t daemon = volume.daemonPid();
    ASSERT_GT(daemon, 0) << "no daemon serves " << volume.path();
    TempDir tmp;
    writeFile(tmp / "local/b.txt", "a", 1600000000);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"compare", volume.path(), tmp / "local"},
          std::vector<std::string>{"sync", "one-to-two", volume.path(), tmp / "local"},
          std::vector<std::string>{"find-copies", tmp / "local/b.txt", volume.path()}}) {
        const StoppedDaemon stopped(daemon);
        std::chrono::milliseconds elapsed{};
        const int code = testsupport::interruptCli(args, tmp / "out", waitsOnFuse, &elapsed);
        EXPECT_EQ(code, 130) << args[0] << " (-1: never held, -2: ran on after the signal)";
        EXPECT_LT(elapsed, std::chrono::seconds(4)) << args[0];
    }
    EXPECT_FALSE(testsupport::exists(tmp / "local/sub"));
    EXPECT_EQ(testsupport::readFile(tmp / "out"), ""); // the search found nothing yet
}

TEST(CliCompare, OptionsAndMessagesFollowTheGnuConventions)
{
    TempDir tmp;
    writeFile(tmp / "--one/a.txt", "", 1600000000);
    testsupport::makeDir(tmp / "two");
    std::string out, err;
    // Help on standard output, exit 0; the version from the build.
    for (const char* help : {"--help", "-h", "compare --help", "sync -h", "find-copies --help"}) {
        EXPECT_EQ(testsupport::runCliSplit(help, out, err), 0) << help;
        EXPECT_EQ(out.rfind("用法：tessarin-cli ", 0), 0u) << help << out;
        EXPECT_EQ(err, "") << help;
    }
    EXPECT_EQ(testsupport::runCliSplit("--version", out, err), 0);
    EXPECT_EQ(out, "tessarin-cli " TESSARIN_VERSION "\n");
    // What is wrong is named, in Chinese, with exit 2.
    EXPECT_EQ(testsupport::runCliSplit("comapre a b", out, err), 2);
    EXPECT_EQ(err.rfind("tessarin-cli: 未知的子命令“comapre”\n", 0), 0u) << err;
    EXPECT_EQ(testsupport::runCliSplit("compare a b --bogus", out, err), 2);
    EXPECT_EQ(err.rfind("tessarin-cli: 无法识别的选项“--bogus”\n", 0), 0u) << err;
    EXPECT_EQ(testsupport::runCliSplit("sync both a b --max-delete=lots", out, err), 2);
    EXPECT_EQ(err.rfind("tessarin-cli: 选项“--max-delete”的参数“lots”无效\n", 0), 0u) << err;
    // A long option counts only by its whole name.
    EXPECT_EQ(runCli("compare a b --no-sub", out), 2);
    EXPECT_EQ(out, "");
    // Options may follow the operands; after "--" a name is an operand.
    const std::string inTmp = "cd " + testsupport::quoted(tmp.path()) + " && " + TESSARIN_CLI_PATH + " compare ";
    ASSERT_EQ(testsupport::runShell(inTmp + "-q -- --one two --no-subfolders 2>/dev/null", out), 2);
    ASSERT_EQ(testsupport::runShell(inTmp + "--one two 2>/dev/null", out), 2);
    ASSERT_EQ(testsupport::runShell(inTmp + "-q -- --one two", out), 0);
    EXPECT_EQ(out, "→\t新建\ta.txt\n←\t删除\ta.txt\n");
}

TEST(CliCompare, NamesAreEscapedAsMd5sumEscapesThemAndTabsTooButRawWithNull)
{
    TempDir tmp;
    for (const char* name : {"a\nb", "c\\d", "e\rf", "g\th", "plain"})
        writeFile(tmp / "one/" + name, "", 1600000000);
    testsupport::makeDir(tmp / "two");
    std::string out;
    ASSERT_EQ(runCli("compare " + testsupport::quoted(tmp / "one") + " " + testsupport::quoted(tmp / "two"), out), 0);
    for (const char* line : {"\\→\t新建\ta\\nb\n", "\\→\t新建\tc\\\\d\n", "\\→\t新建\te\\rf\n", "\\→\t新建\tg\\th\n",
                             "→\t新建\tplain\n", "\\←\t删除\tg\\th\n"})
        EXPECT_NE(out.find(line), std::string::npos) << line << "\n" << out;
    EXPECT_EQ(out.find("\\→\t新建\tplain"), std::string::npos) << "only a line with an escaped name starts with \\";
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 10);
    ASSERT_EQ(runCli("compare -z " + testsupport::quoted(tmp / "one") + " " + testsupport::quoted(tmp / "two"), out),
              0);
    EXPECT_NE(out.find("→\t新建\ta\nb\0"s), std::string::npos);
    EXPECT_NE(out.find("\0←\t删除\tg\th\0"s), std::string::npos);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\0'), 10);
}

TEST(CliCompare, BashCompletionOffersSubcommandsOptionsAndDirections)
{
    // The words so far, the last being completed; returns the offers.
    const auto complete = [](const std::string& words) {
        std::string out;
        testsupport::runShell("bash -c " +
                                  testsupport::quoted("source '" TESSARIN_SOURCE_DIR
                                                      "/packaging/bash-completion/tessarin-cli' && COMP_WORDS=(" +
                                                      words +
                                                      ") && COMP_CWORD=$((${#COMP_WORDS[@]} - 1)) && _tessarin_cli && "
                                                      "echo \"${COMPREPLY[*]}\""),
                              out);
        return out;
    };
    EXPECT_EQ(complete("tessarin-cli ''"), "compare sync md5 drives find-copies\n");
    EXPECT_EQ(complete("tessarin-cli --v"), "--version\n");
    EXPECT_EQ(complete("tessarin-cli sync --d"), "--delete-old-files --dry-run\n");
    EXPECT_EQ(complete("tessarin-cli sync -n ''"), "one-to-two two-to-one both\n");
    EXPECT_EQ(complete("tessarin-cli sync --max-delete 3 t"), "two-to-one\n");
    EXPECT_EQ(complete("tessarin-cli find-copies --s"), "--same-extension\n");
}
