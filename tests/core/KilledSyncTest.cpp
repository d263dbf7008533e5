// kill -9 at many moments of a sync: every target file stays whole (its old
// or its new content), a temporary file left behind is never listed, and the
// next sync into its directory removes it.
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <signal.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "support/RunCli.h"
#include "support/TempDir.h"
#include "support/TreeCheck.h"

using namespace testsupport;

namespace {

constexpr long long kOld = 1600000000;
constexpr long long kNew = 1700000000;

struct Versions {
    std::size_t oldDigest;
    std::size_t newDigest;
};

std::size_t digest(const std::string& content)
{
    return std::hash<std::string>{}(content);
}

bool isTemporaryName(const std::string& path)
{
    const auto slash = path.rfind('/');
    return path.compare(slash == std::string::npos ? 0 : slash + 1, 10, ".tessarin-") == 0;
}

// Starts tessarin-cli sync one-to-two with its output thrown away.
pid_t startSync(const std::string& one, const std::string& two)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        ::execl(TESSARIN_CLI_PATH, TESSARIN_CLI_PATH, "sync", "one-to-two", one.c_str(), two.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return pid;
}

// Starts tessarin-cli sync one-to-two and kills it with SIGKILL after delay.
void syncKilledAfter(const std::string& one, const std::string& two, std::chrono::milliseconds delay)
{
    const pid_t pid = startSync(one, two);
    ASSERT_GE(pid, 0);
    std::this_thread::sleep_for(delay);
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
}

// How long one whole sync takes in this build, from the start of the process
// to its exit: a sanitizer build takes several times as long as a plain one.
void wholeSyncTime(const std::string& one, const std::string& two, std::chrono::milliseconds& took)
{
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = startSync(one, two);
    ASSERT_GE(pid, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the timed sync failed: " << status;
}

class KilledSync : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A few large files, where a kill mostly lands inside a copy, and many small ones.
        for (int i = 0; i < 3; ++i)
            add("big" + std::to_string(i) + ".bin", std::string(4 << 20, static_cast<char>('a' + i)),
                std::string(3 << 20, static_cast<char>('A' + i)));
        for (int i = 0; i < 300; ++i) {
            const std::string name = "small/d" + std::to_string(i % 10) + "/s" + std::to_string(i) + ".txt";
            add(name, "new content " + std::to_string(i) + std::string(i * 7, 'n'), "old " + std::to_string(i));
        }
    }

    void add(const std::string& rel, const std::string& newContent, const std::string& oldContent)
    {
        writeFile(tmp_ / "one/" + rel, newContent, kNew);
        writeFile(tmp_ / "two/" + rel, oldContent, kOld);
        versions_[rel] = {digest(oldContent), digest(newContent)};
        old_[rel] = oldContent;
    }

    // Puts the old content back wherever a sync got through, so every run has work.
    void restoreOld()
    {
        for (const auto& [rel, v] : versions_)
            if (digest(readFile(two() + "/" + rel)) != v.oldDigest)
                writeFile(two() + "/" + rel, old_[rel], kOld);
    }

    std::string one() const { return tmp_ / "one"; }
    std::string two() const { return tmp_ / "two"; }

    TempDir tmp_;
    std::map<std::string, Versions> versions_;
    std::map<std::string, std::string> old_;
};

} // namespace

// The kills fall from the sync's start to its end: one whole sync is timed
// first (some 150 ms in a plain build, several times that under a sanitizer)
// and the twenty kills are spread over that time.
TEST_F(KilledSync, EveryFileIsWholeAndNoTemporaryIsListed)
{
    const std::string dirs = quoted(one()) + " " + quoted(two());
    constexpr int kRuns = 20;
    std::chrono::milliseconds whole{};
    ASSERT_NO_FATAL_FAILURE(wholeSyncTime(one(), two(), whole));
    int interrupted = 0;
    for (int run = 0; run < kRuns; ++run) {
        restoreOld();
        const long long delay = whole.count() * run / kRuns;
        ASSERT_NO_FATAL_FAILURE(syncKilledAfter(one(), two(), std::chrono::milliseconds(delay)));
        std::size_t updated = 0;
        for (const auto& [rel, v] : versions_) {
            ASSERT_TRUE(exists(two() + "/" + rel)) << rel << " vanished, kill after " << delay << " ms";
            const std::size_t d = digest(readFile(two() + "/" + rel));
            EXPECT_TRUE(d == v.oldDigest || d == v.newDigest)
                << rel << " is neither old nor new, kill after " << delay << " ms";
            updated += d == v.newDigest;
        }
        interrupted += updated > 0 && updated < versions_.size();
        std::string out;
        ASSERT_EQ(runCli("compare " + dirs, out), 0);
        EXPECT_EQ(out.find(".tessarin-"), std::string::npos)
            << "a temporary file is listed, kill after " << delay << " ms:\n"
            << out;
    }
    // Otherwise the loop tested nothing: no kill fell inside the sync.
    EXPECT_GT(interrupted, 0);
}

// Only regular files of the copy's own pattern are stale temporaries, and
// empty ones of an earlier version's (".tessarin-" and six letters or
// digits): a directory or a link of such a name is the user's and stays.
TEST_F(KilledSync, TheNextSyncRemovesStaleTemporaries)
{
    for (int run = 0; run < 5; ++run) {
        restoreOld();
        ASSERT_NO_FATAL_FAILURE(syncKilledAfter(one(), two(), std::chrono::milliseconds(10 + run * 15)));
    }
    writeFile(two() + "/.tessarin-Ab12Cd", "");
    writeFile(two() + "/small/d3/.tessarin-Zz99Yy", "");
    makeDir(two() + "/small/.tessarin-AAAAAA");
    ASSERT_EQ(::symlink("../one", (two() + "/.tessarin-LnkLnk").c_str()), 0);
    restoreOld();
    waitPastChangeOf(two() + "/small/d3/.tessarin-Zz99Yy");

    std::string out;
    const std::string dirs = quoted(one()) + " " + quoted(two());
    EXPECT_EQ(runCli("sync one-to-two " + dirs, out), 0) << out;
    std::vector<std::string> left;
    for (const auto& path : pathsUnder(two()))
        if (isTemporaryName(path))
            left.push_back(path);
    const std::vector<std::string> kept = {".tessarin-LnkLnk", "small/.tessarin-AAAAAA"};
    EXPECT_EQ(left, kept);
    EXPECT_EQ(runCli("compare " + dirs, out), 0);
    EXPECT_EQ(out, "");
}
