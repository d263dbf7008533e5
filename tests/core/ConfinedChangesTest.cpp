// Changes stay beneath their root: links out of directory two are read but
// never written, deleted or changed through.
#include <csignal>
#include <sys/wait.h>

#include "ExecutorFixture.h"
#include "platform/PathOpen.h"
#include "support/DeepTree.h"
#include "sync/FolderPass.h"

using namespace tessarin;
using namespace tessarin::sync;
using testsupport::exists;
using testsupport::isDir;
using testsupport::readFile;
using testsupport::statOf;
using testsupport::Strings;
using testsupport::writeFile;

namespace {

using ConfinedChanges = testsupport::ExecutorFixture;

// Swaps the subdirectory named victim for a link to outside just before the
// removal enters it, as another program might at that moment.
class SwappingFileSystem : public platform::PosixFileSystem {
public:
    std::string victim, movedTo, outside;
    bool swapped = false;

protected:
    void beforeEnteringDirectory(int parentFd, const std::string& name) override
    {
        if (name != victim || swapped)
            return;
        swapped = ::renameat(parentFd, name.c_str(), AT_FDCWD, movedTo.c_str()) == 0 &&
                  ::symlinkat(outside.c_str(), parentFd, name.c_str()) == 0;
    }
};

Strings reasonsOf(const SyncReport& report)
{
    Strings reasons;
    for (const RowFailure& f : report.failures)
        reasons.push_back(f.fileName + "：" + f.reason);
    return reasons;
}

} // namespace

TEST_F(ConfinedChanges, ADirectoryLinkLeadingOutOfDirectoryTwoTakesNoChange)
{
    writeFile(tmp / "outside/f.txt", "outside old", 1600000000);
    writeFile(tmp / "outside/old.txt", "keep me", 1600000000);
    writeFile(one + "/d/f.txt", "new", 1600000100);
    writeFile(one + "/d/new.txt", "n", 1600000100);
    testsupport::makeDir(two);
    ASSERT_EQ(::symlink((tmp / "outside").c_str(), (two + "/d").c_str()), 0);
    options.deleteOldFile = true;
    compare();
    ASSERT_EQ(rows(SyncSide::One).size(), 3u);

    const SyncReport report = executor().SyncOneToTwo(options);
    const std::string refused = platform::outsideRootText();
    EXPECT_EQ(reasonsOf(report), (Strings{"d/f.txt：" + refused, "d/new.txt：" + refused, "d/old.txt：" + refused}));
    EXPECT_EQ(readFile(tmp / "outside/f.txt"), "outside old");
    EXPECT_EQ(readFile(tmp / "outside/old.txt"), "keep me");
    EXPECT_EQ(testsupport::namesIn(tmp / "outside"), (Strings{"f.txt", "old.txt"}));
    EXPECT_EQ(prompt.shown.at(0).icon, tessarin::core::MessageIcon::Warning);
}

TEST_F(ConfinedChanges, FileLinksLeadingOutAreReplacedOrRemovedThemselvesNeverWrittenThrough)
{
    writeFile(tmp / "outside/p", "p", 1600000000);
    ::chmod((tmp / "outside/p").c_str(), 0600);
    writeFile(tmp / "outside/q", "old q", 1600000000);
    writeFile(tmp / "outside/r", "r", 1600000000);
    writeFile(one + "/p.txt", "p", 1600000000);
    ::chmod((one + "/p.txt").c_str(), 0644);
    writeFile(one + "/q.txt", "new q", 1600000100);
    testsupport::makeDir(two);
    for (const char* name : {"p", "q", "r"})
        ASSERT_EQ(::symlink((tmp / "outside/" + name).c_str(), (two + "/" + name + ".txt").c_str()), 0);
    options.deleteOldFile = true;
    compare();
    EXPECT_EQ(rows(SyncSide::One), (Strings{"属性 p.txt", "更新 q.txt", "删除 r.txt"}));

    const SyncReport report = executor().SyncOneToTwo(options);
    EXPECT_EQ(reasonsOf(report), (Strings{"p.txt：" + platform::outsideRootText()}));
    EXPECT_EQ(statOf(tmp / "outside/p").st_mode & 07777, 0600u);
    // The copy replaced the link q.txt by a file; the file outside is as it was.
    EXPECT_EQ(readFile(two + "/q.txt"), "new q");
    EXPECT_EQ(readFile(tmp / "outside/q"), "old q");
    EXPECT_FALSE(exists(two + "/r.txt"));
    EXPECT_EQ(readFile(tmp / "outside/r"), "r");
}

TEST_F(ConfinedChanges, RowsUnderALinkOutOfAnExtraDirectoryChangeNothingOutside)
{
    writeFile(tmp / "outside/x.txt", "x", 1600000000);
    writeFile(one + "/a.txt", "a", 1600000000);
    writeFile(two + "/extra/.git/HEAD", "h", 1600000000);
    ASSERT_EQ(::symlink((tmp / "outside").c_str(), (two + "/extra/lnk").c_str()), 0);
    options.deleteOldFile = true;
    compare();
    ASSERT_EQ(rows(SyncSide::One), (Strings{"新建 a.txt", "删除 extra/lnk/x.txt"}));

    // Run alone, without the directory pass: the delete is refused.
    check(SyncSide::One, "extra/lnk/x.txt");
    const SyncReport checkedOnly = executor().RunCheckedRows(SyncSide::One, options);
    EXPECT_EQ(reasonsOf(checkedOnly), (Strings{"extra/lnk/x.txt：" + platform::outsideRootText()}));
    EXPECT_EQ(readFile(tmp / "outside/x.txt"), "x");

    // The whole command: the pass removes the link itself, then fails on the
    // hidden directory; the row finds nothing left to delete.
    compare();
    executor().SyncOneToTwo(options);
    EXPECT_FALSE(exists(two + "/extra/lnk"));
    EXPECT_EQ(readFile(two + "/extra/.git/HEAD"), "h");
    EXPECT_EQ(readFile(tmp / "outside/x.txt"), "x");
}

// What the compare listed is what a row may replace or delete: an edit made
// since, a file that appeared since, or a link to a directory stays.
TEST_F(ConfinedChanges, ARowLeavesATargetThatIsNotWhatTheCompareListed)
{
    writeFile(one + "/f.txt", "older source", 1600000100);
    writeFile(two + "/f.txt", "target", 1600000000);
    writeFile(one + "/new.txt", "source", 1600000000);
    writeFile(two + "/gone.txt", "extra", 1600000000);
    writeFile(one + "/a", "a file", 1600000000);
    testsupport::makeDir(two + "/real");
    ASSERT_EQ(::symlink("real", (two + "/a").c_str()), 0);
    compare();
    EXPECT_EQ(rows(SyncSide::One), (Strings{"新建 a", "更新 f.txt", "新建 new.txt", "删除 gone.txt"}));
    writeFile(two + "/f.txt", "edited after the compare", 1600000200);
    writeFile(two + "/new.txt", "made after the compare", 1600000000);

    // Without deletion; the checked "删除" row then.
    const SyncReport report = executor().SyncOneToTwo(options);
    EXPECT_EQ(reasonsOf(report),
              (Strings{"a：目标位置是一个指向目录的链接，没有替换", "f.txt：目标文件在比较之后被改动过，没有覆盖",
                       "new.txt：目标位置已有同名的文件，没有覆盖"}));
    check(SyncSide::One, "gone.txt");
    writeFile(two + "/gone.txt", "edited too", 1600000300);
    EXPECT_EQ(reasonsOf(executor().RunCheckedRows(SyncSide::One, options)),
              (Strings{"gone.txt：目标文件在比较之后被改动过，没有删除"}));
    EXPECT_EQ(readFile(two + "/f.txt"), "edited after the compare");
    EXPECT_EQ(readFile(two + "/new.txt"), "made after the compare");
    EXPECT_EQ(readFile(two + "/gone.txt"), "edited too");
    EXPECT_TRUE(isDir(two + "/a"));
    // Two-way, which never deletes, leaves the link as well (and cannot
    // make directory one's file a directory).
    EXPECT_EQ(reasonsOf(executor().SyncBothWays(options)),
              (Strings{"a：目标位置是一个指向目录的链接，没有替换", one + "/a：" + platform::systemErrorText(EEXIST)}));
    EXPECT_TRUE(isDir(two + "/a"));
}

TEST_F(ConfinedChanges, ADirectorySwappedForALinkDuringTheRemovalIsRemovedAsALink)
{
    SwappingFileSystem swapping;
    writeFile(tmp / "outside/treasure.txt", "t");
    writeFile(tmp / "outside/sub/more.txt", "m");
    writeFile(two + "/extra/victim/v.txt", "v");
    writeFile(two + "/extra/z.txt", "z");
    swapping.victim = "victim";
    swapping.movedTo = tmp / "moved";
    swapping.outside = tmp / "outside";

    std::string failedPath;
    const platform::FsResult emptied = swapping.emptyDirectoryTree({two, "extra"}, failedPath);
    ASSERT_TRUE(swapping.swapped);
    EXPECT_TRUE(emptied.ok()) << failedPath << "：" << emptied.error;
    EXPECT_EQ(testsupport::namesIn(two + "/extra"), Strings{});
    EXPECT_EQ(readFile(tmp / "outside/treasure.txt"), "t");
    EXPECT_EQ(readFile(tmp / "outside/sub/more.txt"), "m");
    EXPECT_EQ(readFile(tmp / "moved/v.txt"), "v");
}

TEST_F(ConfinedChanges, TheTreeRemovalLeavesHiddenDirectoriesAndNamesTheOneItCannotRemove)
{
    writeFile(two + "/extra/a/.keep/k", "k");
    writeFile(two + "/extra/a/file", "f");
    writeFile(two + "/extra/b/file", "f");
    std::string failedPath;
    const platform::FsResult emptied = posix.emptyDirectoryTree({two + "/", "extra"}, failedPath);
    EXPECT_FALSE(emptied.ok());
    EXPECT_EQ(failedPath, two + "/extra/a");
    EXPECT_EQ(testsupport::namesIn(two + "/extra/a"), Strings{".keep"});
    EXPECT_TRUE(isDir(two + "/extra/b")); // the removal ended at a
}

TEST_F(ConfinedChanges, ASourceSwappedForAFifoFailsItsRowWithoutHanging)
{
    writeFile(one + "/f.txt", "f", 1600000000);
    writeFile(one + "/g.txt", "g", 1600000000);
    testsupport::makeDir(two);
    compare();
    ASSERT_EQ(::unlink((one + "/f.txt").c_str()), 0);
    ASSERT_EQ(::mkfifo((one + "/f.txt").c_str(), 0644), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::alarm(20); // a hang ends the child by the signal
        const SyncReport report = executor().SyncOneToTwo(options);
        ::_exit(report.failures.size() == 1 && report.failures[0].fileName == "f.txt" ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the sync hung on the FIFO";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readFile(two + "/g.txt"), "g");
    EXPECT_EQ(testsupport::namesIn(two), (Strings{"g.txt"}));
}

TEST_F(ConfinedChanges, PathsLongerThanTheLimitAreCreatedCopiedAndRemoved)
{
    const testsupport::DeepTree source(one, 100, 50, "deep", "the deepest content");
    testsupport::makeDir(two);
    compare();
    FolderPass pass(*session, posix);
    pass.MakePathDirs(platform::RelativePath::fromText(source.relativeFile), SyncSide::One);
    const platform::FsResult copied = posix.copyFile(one + "/" + source.relativeFile, {two, source.relativeFile});
    ASSERT_TRUE(copied.ok()) << copied.error;
    platform::Fd in(platform::openPath(two + "/" + source.relativeFile, O_RDONLY));
    ASSERT_TRUE(in.valid());
    char buffer[64] = {};
    EXPECT_EQ(::read(in.get(), buffer, sizeof buffer), 19);
    EXPECT_STREQ(buffer, "the deepest content");

    pass.DeleteFolderTree({two, "deep"});
    EXPECT_TRUE(posix.removeDirectory({two, "deep"}).ok());
    EXPECT_EQ(testsupport::namesIn(two), Strings{});
}
