// Things swapped on disk while a command runs. A source swapped between the
// compare and the copy for something that is not a regular file is a failed
// row, never a hang (the sync runs in a forked child, so a hang fails the
// test instead of stopping the suite). A directory swapped for a link during
// the directory pass is never followed.
#include <chrono>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "ExecutorFixture.h"
#include "support/AsUser.h"
#include "support/SwappingFileSystem.h"

using namespace tessarin::sync;
using testsupport::exists;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

using SwappedSource = testsupport::ExecutorFixture;

// The child's exit codes.
constexpr int kBothFailed = 0;
constexpr int kNotReported = 1;
constexpr int kThrew = 2;

bool failed(const SyncReport& report, const std::string& name)
{
    for (const auto& f : report.failures)
        if (f.fileName == name)
            return true;
    return false;
}

} // namespace

TEST_F(SwappedSource, AFifoOrADeviceInPlaceOfTheSourceIsAFailedRow)
{
    writeFile(one + "/fifo.txt", "was a file", 1600000000);
    writeFile(one + "/device.txt", "was a file", 1600000000);
    writeFile(one + "/plain.txt", "stays a file", 1600000000);
    testsupport::makeDir(two);
    compare();
    ASSERT_EQ(::unlink((one + "/fifo.txt").c_str()), 0);
    ASSERT_EQ(::mkfifo((one + "/fifo.txt").c_str(), 0644), 0);
    ASSERT_EQ(::unlink((one + "/device.txt").c_str()), 0);
    ASSERT_EQ(::symlink("/dev/zero", (one + "/device.txt").c_str()), 0);

    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        // An endless copy of /dev/zero ends the child (SIGXFSZ) instead of filling the disk.
        const struct rlimit cap = {64 << 20, 64 << 20};
        ::setrlimit(RLIMIT_FSIZE, &cap);
        try {
            const SyncReport report = executor().SyncOneToTwo(options);
            ::_exit(failed(report, "fifo.txt") && failed(report, "device.txt") ? kBothFailed : kNotReported);
        } catch (...) {
            ::_exit(kThrew);
        }
    }
    int status = 0;
    pid_t done = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while ((done = ::waitpid(pid, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (done == 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        FAIL() << "the sync hangs on a source that is no regular file";
    }
    ASSERT_TRUE(WIFEXITED(status)) << "the sync was ended by signal " << WTERMSIG(status)
                                   << " (SIGXFSZ: it copied a device without end)";
    EXPECT_EQ(WEXITSTATUS(status), kBothFailed) << "1: a row not reported as failed, 2: the command threw";
    EXPECT_EQ(readFile(two + "/plain.txt"), "stays a file");
    EXPECT_FALSE(exists(two + "/fifo.txt"));
    EXPECT_FALSE(exists(two + "/device.txt"));
}

// A directory of an extra tree is swapped for a link out of directory two
// while the directory pass runs: the link is removed as a link, never followed.
TEST_F(SwappedSource, ALinkSwappedInDuringTheDirectoryPassIsNotFollowed)
{
    testsupport::SwappingFileSystem swapping;
    fs = &swapping;
    writeFile(tmp / "outside/precious.txt", "outside", 1600000000);
    writeFile(tmp / "outside/deep/more.txt", "outside too", 1600000000);
    writeFile(one + "/keep.txt", "keep", 1600000000);
    writeFile(one + "/new.txt", "new", 1600000000);
    writeFile(two + "/keep.txt", "keep", 1600000000);
    writeFile(two + "/extra/sub/inner/file.txt", "extra", 1600000000);
    options.deleteOldFile = true;
    compare();
    swapping.victim = two + "/extra/sub";
    swapping.aside = tmp / "aside";
    swapping.linkTarget = tmp / "outside";
    swapping.armed = true;
    try {
        executor().SyncOneToTwo(options);
    } catch (const std::exception&) {
        // A stopped command is no harm here; what matters is what it changed.
    }
    ASSERT_TRUE(swapping.swapped) << "the directory pass never touched the extra tree through the service";
    EXPECT_EQ(readFile(tmp / "outside/precious.txt"), "outside");
    EXPECT_EQ(readFile(tmp / "outside/deep/more.txt"), "outside too");
    EXPECT_TRUE(testsupport::isDir(tmp / "outside/deep"));
}

// Sources swapped after the compare for another user's links out of
// directory one: the copy (a new file, and an update through the pipeline)
// does not read the root-only file they lead to; one of the running user's
// own is read as before.
TEST_F(SwappedSource, AnotherUsersLinkSwappedInForASourceIsNotRead)
{
    writeFile(tmp / "outside/shadow", "root only", 1600000000);
    ASSERT_EQ(::chmod((tmp / "outside/shadow").c_str(), 0600), 0);
    for (const char* name : {"/new.txt", "/newer.txt", "/own.txt"})
        writeFile(one + name, "was a file", 1700000000);
    writeFile(two + "/newer.txt", "old", 1600000000);
    compare();
    for (const char* name : {"/new.txt", "/newer.txt", "/own.txt"}) {
        ASSERT_EQ(::unlink((one + name).c_str()), 0);
        ASSERT_EQ(::symlink("../outside/shadow", (one + name).c_str()), 0);
        if (std::string(name) != "/own.txt") {
            ASSERT_EQ(::lchown((one + name).c_str(), testsupport::kNobody, testsupport::kNobody), 0);
        }
    }
    const SyncReport report = executor().SyncOneToTwo(options);
    EXPECT_TRUE(failed(report, "new.txt"));
    EXPECT_TRUE(failed(report, "newer.txt"));
    EXPECT_FALSE(exists(two + "/new.txt"));
    EXPECT_EQ(readFile(two + "/newer.txt"), "old");
    EXPECT_EQ(readFile(two + "/own.txt"), "root only");
}
