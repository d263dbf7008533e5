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

// The FUSE daemon serving the mount point: the process with it among its arguments.
pid_t fuseDaemonOf(const std::string& mountPoint)
{
    for (const std::string& entry : testsupport::namesIn("/proc")) {
        if (entry.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const std::string cmdline = testsupport::readFile("/proc/" + entry + "/cmdline");
        if (cmdline.find(std::string(1, '\0') + mountPoint + std::string(1, '\0')) != std::string::npos)
            return static_cast<pid_t>(std::stol(entry));
    }
    return 0;
}

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
    const pid_t daemon = fuseDaemonOf(volume.path());
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
