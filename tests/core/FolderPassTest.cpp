#include "ExecutorFixture.h"
#include "core/Error.h"
#include "sync/FolderPass.h"

using namespace tessarin;
using namespace tessarin::sync;
using testsupport::exists;
using testsupport::isDir;
using testsupport::readFile;
using testsupport::Strings;
using testsupport::writeFile;

namespace {

using FolderPassTest = testsupport::ExecutorFixture;

// Records the directories it is asked to create.
class RecordingFileSystem : public platform::PosixFileSystem {
public:
    Strings created;
    platform::FsResult createDirectory(const platform::TreePath& path,
                                       const std::optional<platform::Ownership>& like) override
    {
        created.push_back(path.full());
        return PosixFileSystem::createDirectory(path, like);
    }
};

} // namespace

TEST_F(FolderPassTest, MakePathDirsCreatesFromTheRootInwardsButNeverTheFileName)
{
    RecordingFileSystem recording;
    fs = &recording;
    writeFile(one + "/a/b/c.txt", "c", 1600000000);
    options.syncSubFolder = false; // no directory pass: only the row's own step
    compare();
    FolderPass pass(*session, recording);
    pass.MakePathDirs(platform::RelativePath::fromText("a/b/c.txt"), SyncSide::One);
    EXPECT_EQ(recording.created, (Strings{two, two + "/a", two + "/a/b"}));
    pass.MakePathDirs(platform::RelativePath::fromText("a/b/d.txt"), SyncSide::One);
    pass.MakePathDirs(platform::RelativePath::fromText("top.txt"), SyncSide::One);
    EXPECT_EQ(recording.created.size(), 3u);
    EXPECT_FALSE(exists(two + "/a/b/c.txt"));
}

TEST_F(FolderPassTest, AHiddenSubdirectoryStopsTheRemovalWhichIsReported)
{
    writeFile(one + "/a.txt", "a", 1600000000);
    writeFile(two + "/a.txt", "a", 1600000000);
    writeFile(two + "/extra/.cache/keep", "k", 1600000000);
    writeFile(two + "/extra/e.txt", "e", 1600000000);
    writeFile(two + "/extra/.dotfile", "d", 1600000000);
    writeFile(two + "/zlater/z.txt", "z", 1600000000);
    writeFile(one + "/new.txt", "n", 1600000000);
    options.deleteOldFile = true;
    compare();
    FolderPass pass(*session, *fs);
    EXPECT_THROW(pass.RemoveExtraFolders(SyncSide::One), tessarin::core::Error);
    EXPECT_EQ(readFile(two + "/extra/.cache/keep"), "k");
    EXPECT_FALSE(exists(two + "/extra/e.txt"));
    EXPECT_FALSE(exists(two + "/extra/.dotfile"));

    // Inside a command the pass ends, the rows still run, and the directory
    // is reported once.
    const SyncReport report = executor().SyncOneToTwo(options);
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(report.failures[0].kind, FailureKind::Folder);
    EXPECT_EQ(report.failures[0].fileName, two + "/extra");
    EXPECT_EQ(readFile(two + "/new.txt"), "n");
    EXPECT_TRUE(isDir(two + "/extra"));
    EXPECT_TRUE(isDir(two + "/zlater"));         // the pass ends before it, at every row
    EXPECT_FALSE(exists(two + "/zlater/z.txt")); // its file went by its own "删除" row
    EXPECT_EQ(prompt.shown.at(0).icon, tessarin::core::MessageIcon::Warning);
}

TEST_F(FolderPassTest, AnExtraDirectoryLinkIsRemovedItselfNeverEntered)
{
    writeFile(tmp / "outside/treasure.txt", "t", 1600000000);
    writeFile(one + "/a.txt", "a", 1600000000);
    writeFile(two + "/real/linked/x", "x", 1600000000);
    testsupport::makeDir(two);
    ASSERT_EQ(::symlink((tmp / "outside").c_str(), (two + "/link").c_str()), 0);
    ASSERT_EQ(::symlink((tmp / "outside").c_str(), (two + "/real/inner").c_str()), 0);
    options.deleteOldFile = true;
    compare();
    const SyncReport report = executor().SyncOneToTwo(options);
    EXPECT_TRUE(report.failures.empty()) << report.failures.at(0).reason;
    EXPECT_FALSE(exists(two + "/link"));
    EXPECT_FALSE(exists(two + "/real"));
    EXPECT_EQ(readFile(tmp / "outside/treasure.txt"), "t");
}

TEST_F(FolderPassTest, WithoutSubfoldersTheDirectoryStepDoesNothing)
{
    writeFile(one + "/a.txt", "a", 1600000000);
    writeFile(one + "/sub/s.txt", "s", 1600000000);
    testsupport::makeDir(one + "/emptydir");
    writeFile(two + "/extra/e.txt", "e", 1600000000);
    options.syncSubFolder = false;
    options.deleteOldFile = true;
    compare();
    EXPECT_EQ(rows(SyncSide::One), (Strings{"新建 a.txt"}));
    executor().SyncOneToTwo(options);
    EXPECT_TRUE(exists(two + "/a.txt"));
    EXPECT_FALSE(exists(two + "/sub"));
    EXPECT_FALSE(exists(two + "/emptydir"));
    EXPECT_TRUE(exists(two + "/extra/e.txt"));
}
