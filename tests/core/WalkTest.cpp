// Every walk ends: temporary files, unreadable entries, paths past the
// system's limit, links fanning out or into pseudo file systems, and a stop.
#include <atomic>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ExecutorFixture.h"
#include "platform/PosixFileSystem.h"

using namespace tessarin;
using namespace tessarin::sync;
using testsupport::fieldRoot;
using testsupport::makeDir;
using testsupport::Strings;
using testsupport::texts;
using testsupport::writeFile;

namespace {

Strings names(const FileTable& table)
{
    Strings out;
    for (std::size_t k = 0; k < table.fileCount(); ++k)
        out.emplace_back(table.name(k));
    return out;
}

// Runs a check in a child that has dropped root's privileges (root reads
// every directory whatever its mode). The check's result is the exit code.
int asUnprivileged(const std::function<int()>& check)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(99);
        ::_exit(check());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 98;
}

// Removes a tree of any depth from directory descriptors.
void removeTree(int parentFd, const char* name)
{
    const int fd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (fd >= 0) {
        DIR* dir = ::fdopendir(fd);
        std::vector<std::string> entries;
        while (const dirent* e = ::readdir(dir))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                entries.emplace_back(e->d_name);
        for (const std::string& entry : entries)
            if (::unlinkat(::dirfd(dir), entry.c_str(), 0) != 0)
                removeTree(::dirfd(dir), entry.c_str());
        ::closedir(dir);
    }
    ::unlinkat(parentFd, name, AT_REMOVEDIR);
}

using Walk = testsupport::ExecutorFixture;

// A progress that a file-system seam asks to stop from inside the walk.
struct StoppableProgress : testsupport::RecordingProgress {
    std::atomic<bool> stop{false};
    bool stopWhileComparing = false;
    void setStatus(std::string_view text) override
    {
        RecordingProgress::setStatus(text);
        if (stopWhileComparing && text.rfind("正在处理目录一", 0) == 0)
            stop = true;
    }
    bool stopRequested() const override { return stop; }
};

class StoppingFileSystem : public platform::PosixFileSystem {
public:
    StoppableProgress* progress = nullptr;
    std::string stopAt; // a directory path; reading it asks for the stop
    platform::Result<platform::DirectoryContents> readDirectory(const std::string& directory, bool wantDirectories,
                                                                std::string_view mask) override
    {
        if (directory == stopAt)
            progress->stop = true;
        return PosixFileSystem::readDirectory(directory, wantDirectories, mask);
    }
};

} // namespace

TEST_F(Walk, TheCopysTemporaryFilesAreNeverListed)
{
    writeFile(one + "/.tessarin-tmp.0k7qz3m1x9c2v8b4n6h5j0ra", "half");
    writeFile(one + "/d0/.tessarin-tmp.zzzzzzzzzzzzzzzzzzzzzzzz", "half");
    // Not the copy's pattern: a user's files, an earlier version's pattern too.
    writeFile(one + "/.tessarin-Ab12cd", "mine");
    writeFile(one + "/d0/.tessarin-backup", "mine");
    writeFile(one + "/.tessarin-tmp.0k7qz3m1x9c2v8b4n6h5j0rA", "mine");
    writeFile(one + "/.tessarin-toolong", "mine");
    compare();
    EXPECT_EQ(names(session->table(SyncSide::One)),
              (Strings{"d0/.tessarin-backup", ".tessarin-Ab12cd", ".tessarin-tmp.0k7qz3m1x9c2v8b4n6h5j0rA",
                       ".tessarin-toolong"}));
}

TEST_F(Walk, AReadableDirectoryWhoseLinksCannotBeLookedAtIsUnreadable)
{
    // tmp is made 0700; the unprivileged child must reach what lies inside.
    ::chmod(tmp.path().c_str(), 0755);
    writeFile(tmp / "target.txt", "t");
    makeDir(tmp / "readonly");
    ASSERT_EQ(::symlink("../target.txt", (tmp / "readonly/lnk").c_str()), 0);
    ::chmod((tmp / "readonly").c_str(), 0444); // r--: names readable, entries not
    makeDir(tmp / "private");
    writeFile(tmp / "private/secret.txt", "s");
    ::chmod((tmp / "private").c_str(), 0700);
    makeDir(tmp / "open");
    writeFile(tmp / "open/plain.txt", "p");
    ASSERT_EQ(::symlink("../private/secret.txt", (tmp / "open/blocked").c_str()), 0);
    ::chmod((tmp / "open").c_str(), 0755);
    const std::string readonly = tmp / "readonly/", open = tmp / "open/";
    EXPECT_EQ(asUnprivileged([&] {
                  platform::PosixFileSystem fs;
                  if (fs.readDirectory(readonly, true, "*.*"))
                      return 1; // passed for complete, the link silently gone
                  // A link whose target cannot be reached is left out; the
                  // directory itself was read completely.
                  const auto contents = fs.readDirectory(open, true, "*.*");
                  if (!contents)
                      return 2;
                  if (contents->files.size() != 1 || contents->files[0].name != "plain.txt")
                      return 3;
                  return 0;
              }),
              0);
}

TEST_F(Walk, ATreeDeeperThanThePathLimitIsListedCompletely)
{
    const std::string level(50, 'd');
    makeDir(one);
    int fd = ::open(one.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    std::string relative;
    for (int depth = 0; depth < 100; ++depth) {
        ASSERT_EQ(::mkdirat(fd, level.c_str(), 0755), 0);
        const int next = ::openat(fd, level.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        ASSERT_GE(next, 0);
        fd = next;
        relative += level + "/";
    }
    const int file = ::openat(fd, "deepest.txt", O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(file, 0);
    ::close(file);
    ::close(fd);
    ASSERT_GT(one.size() + relative.size(), static_cast<std::size_t>(PATH_MAX));

    compare();
    EXPECT_EQ(names(session->table(SyncSide::One)), (Strings{relative + "deepest.txt"}));
    EXPECT_EQ(session->table(SyncSide::One).Directories.size(), 100u);
    EXPECT_TRUE(session->unreadable(SyncSide::One).empty());
    EXPECT_TRUE(posix.isDirectory(one + "/" + relative));

    const int tmpFd = ::open(tmp.path().c_str(), O_RDONLY | O_DIRECTORY);
    removeTree(tmpFd, "one");
    ::close(tmpFd);
}

TEST_F(Walk, LinksIntoPseudoFileSystemsAndFanningOutEndAndListEachDirectoryOnce)
{
    writeFile(one + "/a/real/f.txt", "f");
    writeFile(one + "/a/real/deeper/g.txt", "g");
    ASSERT_EQ(::symlink("a/real", (one + "/fan1").c_str()), 0);
    ASSERT_EQ(::symlink("a/real", (one + "/fan2").c_str()), 0);
    ASSERT_EQ(::symlink("..", (one + "/a/up").c_str()), 0);
    ASSERT_EQ(::symlink("/proc", (one + "/proc").c_str()), 0);
    ASSERT_EQ(::symlink("/sys/class", (one + "/sysclass").c_str()), 0);
    // The other side holds real directories where the links stand.
    writeFile(two + "/fan1/mine.txt", "m");
    compare();
    EXPECT_EQ(names(session->table(SyncSide::One)), (Strings{"a/real/deeper/g.txt", "a/real/f.txt"}));
    EXPECT_EQ(texts(session->table(SyncSide::One).Directories), (Strings{"a", "a/real", "a/real/deeper"}));
    // What was not entered is not seen: nothing there is deleted on the other side.
    EXPECT_TRUE(session->insideUnreadable("fan1"));
    EXPECT_TRUE(session->insideUnreadable("fan1/mine.txt"));
    EXPECT_TRUE(session->insideUnreadable("proc/self/status"));
    EXPECT_FALSE(session->insideUnreadable("a/real/f.txt"));
    EXPECT_EQ(rows(SyncSide::Two), (Strings{"删除 a/real/deeper/g.txt", "删除 a/real/f.txt"}));
}

TEST_F(Walk, AStopFromInsideTheListingEmptiesEverything)
{
    StoppingFileSystem stopping;
    StoppableProgress stoppable;
    stopping.progress = &stoppable;
    fs = &stopping;
    writeFile(one + "/a/x.txt", "x");
    writeFile(one + "/b/y.txt", "y");
    writeFile(two + "/z.txt", "z");
    stopping.stopAt = one + "/a/";
    SyncSession s(stopping);
    std::string a = one, b = two;
    ASSERT_TRUE(s.CompareDirectories(fieldRoot(a), fieldRoot(b), options, stoppable));
    EXPECT_TRUE(s.lastCompareStopped());
    for (const SyncSide side : kBothSides) {
        EXPECT_EQ(s.table(side).fileCount(), 0u);
        EXPECT_TRUE(s.table(side).Directories.empty());
        EXPECT_TRUE(s.list(side).empty());
    }
    EXPECT_EQ(stoppable.statuses.back(), "比较已停止。");
    EXPECT_FALSE(s.comparing());
    // Nothing of it can be synchronised.
    SyncExecutor run(s, stoppable);
    options.deleteOldFile = true;
    EXPECT_FALSE(run.SyncOneToTwo(options).ran);
    EXPECT_TRUE(testsupport::exists(two + "/z.txt"));

    // The next compare, not stopped, is whole again.
    stoppable.stop = false;
    stopping.stopAt.clear();
    a = one, b = two;
    ASSERT_TRUE(s.CompareDirectories(fieldRoot(a), fieldRoot(b), options, stoppable));
    EXPECT_FALSE(s.lastCompareStopped());
    EXPECT_EQ(s.list(SyncSide::One).size(), 3u);
}

TEST_F(Walk, AStopDuringTheComparisonEmptiesEverything)
{
    StoppableProgress stoppable;
    stoppable.stopWhileComparing = true;
    writeFile(one + "/a.txt", "x");
    writeFile(one + "/b.txt", "x");
    SyncSession s(posix);
    s.setProgressInterval(0);
    std::string a = one, b = two;
    ASSERT_TRUE(s.CompareDirectories(fieldRoot(a), fieldRoot(b), options, stoppable));
    EXPECT_TRUE(s.lastCompareStopped());
    EXPECT_EQ(s.table(SyncSide::One).fileCount(), 0u);
    EXPECT_TRUE(s.list(SyncSide::One).empty());
    EXPECT_TRUE(s.list(SyncSide::Two).empty());
    EXPECT_EQ(stoppable.statuses.back(), "比较已停止。");
}

TEST_F(Walk, ARootOnAPseudoFileSystemIsNotReadAndCountsAsUnseen)
{
    writeFile(two + "/z.txt", "z");
    one = "/proc";
    compare();
    EXPECT_EQ(session->table(SyncSide::One).fileCount(), 0u);
    EXPECT_EQ(texts(session->unreadable(SyncSide::One)), (Strings{""}));
    EXPECT_EQ(rows(SyncSide::One), Strings{}); // z.txt is not taken for missing in /proc
    EXPECT_EQ(rows(SyncSide::Two), Strings{});
}
