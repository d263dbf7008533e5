#include <chrono>
#include <gtest/gtest.h>
#include <set>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>

#include "platform/PosixFileSystem.h"
#include "support/FieldRoot.h"
#include "support/RecordingObserver.h"
#include "support/RecordingProgress.h"
#include "support/RefusingFileSystem.h"
#include "support/TempDir.h"
#include "sync/SyncSession.h"

using namespace tessarin;
using namespace tessarin::sync;
using testsupport::fieldRoot;
using testsupport::RefusingFileSystem;
using testsupport::TempDir;
using testsupport::texts;
using testsupport::writeFile;

namespace {

std::vector<std::string> names(const FileTable& table)
{
    std::vector<std::string> out;
    for (std::size_t k = 0; k < table.fileCount(); ++k)
        out.emplace_back(table.name(k));
    return out;
}

using Strings = std::vector<std::string>;

// Reads the directories under one root slowly, as a busy or remote disk would.
class SlowSideFileSystem : public platform::PosixFileSystem {
public:
    std::string slowRoot;
    platform::Result<platform::DirectoryContents> readDirectory(const std::string& directory, bool wantDirectories,
                                                                std::string_view mask) override
    {
        if (directory.rfind(slowRoot, 0) == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(60));
        return PosixFileSystem::readDirectory(directory, wantDirectories, mask);
    }
};

// Records from which threads the core reached the window: its progress and
// the observer of its lists.
class ThreadRecordingProgress : public testsupport::RecordingProgress, public testsupport::RecordingObserver {
public:
    std::set<std::thread::id> threads;
    void setStatus(std::string_view text) override
    {
        seen();
        RecordingProgress::setStatus(text);
    }
    void processEvents() override
    {
        seen();
        RecordingProgress::processEvents();
    }
    void listsAboutToBeRebuilt() override
    {
        seen();
        RecordingObserver::listsAboutToBeRebuilt();
    }
    void sideAboutToBeListed(SyncSide side) override
    {
        seen();
        RecordingObserver::sideAboutToBeListed(side);
    }
    void sideListed(SyncSide side, std::string_view countText) override
    {
        seen();
        RecordingObserver::sideListed(side, countText);
    }
    void listsAboutToBeReady() override
    {
        seen();
        RecordingObserver::listsAboutToBeReady();
    }

private:
    void seen() { threads.insert(std::this_thread::get_id()); }
};

struct Listing : ::testing::Test {
    TempDir tmp;
    platform::PosixFileSystem fs;
    SyncSession session{fs};
    testsupport::RecordingProgress progress;
    testsupport::RecordingObserver observer;
    SyncOptions options;

    Listing() { session.setObserver(&observer); }

    void compare(std::string one, std::string two = "")
    {
        if (two.empty())
            two = tmp / "none";
        ASSERT_TRUE(session.CompareDirectories(fieldRoot(one), fieldRoot(two), options, progress));
    }
};

} // namespace

TEST_F(Listing, SubdirectoryFilesComeBeforeTheDirectorysOwnFiles)
{
    writeFile(tmp / "r/b.txt", "b");
    writeFile(tmp / "r/a.txt", "a");
    writeFile(tmp / "r/x/c.txt", "c");
    writeFile(tmp / "r/x/y/d.txt", "d");
    testsupport::makeDir(tmp / "r/e");
    compare(tmp / "r/");
    EXPECT_EQ(names(session.table(SyncSide::One)), (Strings{"x/y/d.txt", "x/c.txt", "a.txt", "b.txt"}));
    EXPECT_EQ(texts(session.table(SyncSide::One).Directories), (Strings{"e", "x", "x/y"}));
    EXPECT_EQ(session.root(SyncSide::One).text(), tmp / "r");
    EXPECT_EQ(observer.counts, (Strings{"1:共4个文件", "2:共0个文件"}));
}

TEST_F(Listing, WithoutSubfoldersOnlyTheRootsFiles)
{
    writeFile(tmp / "r/a.txt", "a");
    writeFile(tmp / "r/x/c.txt", "c");
    options.syncSubFolder = false;
    compare(tmp / "r");
    EXPECT_EQ(names(session.table(SyncSide::One)), (Strings{"a.txt"}));
    EXPECT_TRUE(session.table(SyncSide::One).Directories.empty());
}

TEST_F(Listing, HiddenDirectoriesSkippedHiddenFilesListedWithTheirBit)
{
    writeFile(tmp / "r/.h/d.txt", "d");
    writeFile(tmp / "r/.hidden", "x");
    writeFile(tmp / "r/x/.in", "y");
    compare(tmp / "r");
    const FileTable& t = session.table(SyncSide::One);
    EXPECT_EQ(names(t), (Strings{"x/.in", ".hidden"}));
    EXPECT_EQ(texts(t.Directories), (Strings{"x"}));
    EXPECT_TRUE(t.attributes(1) & platform::kAttrHidden);
    EXPECT_TRUE(t.attributes(1) & platform::kAttrArchive);
}

TEST_F(Listing, EntryFieldsSizeTimeAndAttributes)
{
    writeFile(tmp / "r/ro.txt", std::string(1536, 'x'), 1141448767, 999000000);
    ::chmod((tmp / "r/ro.txt").c_str(), 0444);
    writeFile(tmp / "r/rw.txt", std::string(1152, 'x'));
    ::chmod((tmp / "r/rw.txt").c_str(), 0640);
    compare(tmp / "r");
    const FileTable& t = session.table(SyncSide::One);
    ASSERT_EQ(t.fileCount(), 2u);
    EXPECT_EQ(t.sizeText(0), "1.50 KB");
    EXPECT_EQ(t.sizeText(1), "1.13 KB");
    EXPECT_EQ(t.attributes(0), platform::kAttrReadOnly | platform::kAttrArchive | (0444u << 16));
    EXPECT_EQ(t.attributes(1), platform::kAttrArchive | (0640u << 16));
    const std::int64_t offset = fs.zoneOffsetNow();
    EXPECT_EQ(t.modifiedSeconds(0), 1141448767 + offset);
    EXPECT_EQ(t.modifiedText(0).size(), 19u);
}

TEST_F(Listing, MissingRootListsEmptyAndTheOtherSideAsUsual)
{
    writeFile(tmp / "r/a.txt", "a");
    std::string one = tmp / "r", two = tmp / "missing";
    ASSERT_TRUE(session.CompareDirectories(fieldRoot(one), fieldRoot(two), options, progress));
    EXPECT_EQ(session.table(SyncSide::One).fileCount(), 1u);
    EXPECT_EQ(session.table(SyncSide::Two).fileCount(), 0u);
    EXPECT_EQ(observer.counts.back(), "2:共0个文件");
}

TEST_F(Listing, LinksFollowedButALoopIsNotEnteredAgain)
{
    writeFile(tmp / "r/x/a.txt", "a");
    writeFile(tmp / "outside/o.txt", "o");
    ASSERT_EQ(::symlink("..", (tmp / "r/x/up").c_str()), 0);          // back to r
    ASSERT_EQ(::symlink("../outside", (tmp / "r/out").c_str()), 0);   // elsewhere: entered
    ASSERT_EQ(::symlink("x/a.txt", (tmp / "r/link.txt").c_str()), 0); // link to a file
    ASSERT_EQ(::symlink("nowhere", (tmp / "r/broken").c_str()), 0);   // broken: not listed
    ASSERT_EQ(::mkfifo((tmp / "r/fifo").c_str(), 0644), 0);           // never opened
    compare(tmp / "r");
    EXPECT_EQ(names(session.table(SyncSide::One)), (Strings{"out/o.txt", "x/a.txt", "link.txt"}));
    EXPECT_EQ(texts(session.table(SyncSide::One).Directories), (Strings{"out", "x"}));
}

TEST_F(Listing, UnreadableDirectoryContributesNothing)
{
    RefusingFileSystem refusing;
    SyncSession s(refusing);
    writeFile(tmp / "r/locked/a.txt", "a");
    writeFile(tmp / "r/open/b.txt", "b");
    writeFile(tmp / "r/c.txt", "c");
    refusing.refused.insert(tmp / "r/locked/");
    std::string one = tmp / "r", two = tmp / "none";
    ASSERT_TRUE(s.CompareDirectories(fieldRoot(one), fieldRoot(two), options, progress));
    EXPECT_EQ(names(s.table(SyncSide::One)), (Strings{"open/b.txt", "c.txt"}));
    EXPECT_EQ(texts(s.table(SyncSide::One).Directories), (Strings{"locked", "open"}));
}

TEST_F(Listing, SlowSideTwoKeepsTheWindowAliveFromTheCallingThreadOnly)
{
    SlowSideFileSystem slow;
    slow.slowRoot = tmp / "two";
    SyncSession s(slow);
    s.setProgressInterval(10);
    for (const char* dir : {"a", "b", "c", "d"}) {
        writeFile(tmp / ("one/" + std::string(dir) + "/f.txt"), "1", 1600000000);
        writeFile(tmp / ("two/" + std::string(dir) + "/f.txt"), "22", 1700000000);
    }
    ThreadRecordingProgress watching;
    s.setObserver(&watching);
    std::string one = tmp / "one", two = tmp / "two";
    ASSERT_TRUE(s.CompareDirectories(fieldRoot(one), fieldRoot(two), options, watching));

    EXPECT_EQ(watching.threads, (std::set<std::thread::id>{std::this_thread::get_id()}));
    // Five slow reads of 60 ms: events were processed while side two was still listing.
    EXPECT_GE(watching.eventPasses, 10);
    EXPECT_EQ(watching.counts, (Strings{"1:共4个文件", "2:共4个文件"}));
    EXPECT_EQ(names(s.table(SyncSide::Two)), (Strings{"a/f.txt", "b/f.txt", "c/f.txt", "d/f.txt"}));
    EXPECT_EQ(texts(s.table(SyncSide::Two).Directories), (Strings{"a", "b", "c", "d"}));
    EXPECT_EQ(s.list(SyncSide::Two).size(), 4u); // four "更新" rows: side two's files are newer
}

TEST_F(Listing, NamesThatAreNotUtf8StayBytes)
{
    const std::string odd = "caf\xe9-\xff.txt"; // Latin-1 bytes, invalid UTF-8
    writeFile(tmp / ("r/" + odd), "x");
    compare(tmp / "r");
    ASSERT_EQ(session.table(SyncSide::One).fileCount(), 1u);
    EXPECT_EQ(session.table(SyncSide::One).name(0), odd);
}

TEST_F(Listing, RootOfTheFileSystemKeepsItsSlash)
{
    // "/" loses its one trailing slash; the walk still starts at "/".
    RefusingFileSystem refusing;
    SyncSession s(refusing);
    options.syncSubFolder = false;
    std::string one = "/", two = tmp / "none";
    ASSERT_TRUE(s.CompareDirectories(fieldRoot(one), fieldRoot(two), options, progress));
    EXPECT_EQ(s.root(SyncSide::One).text(), "");
    EXPECT_EQ(s.RelativeFileName(SyncSide::One, "/etc"), "etc");
}

TEST_F(Listing, RelativeFileNameCutsTheRootAndItsSlash)
{
    std::string one = tmp / "r", two = tmp / "s";
    testsupport::makeDir(one);
    ASSERT_TRUE(session.CompareDirectories(fieldRoot(one), fieldRoot(two), options, progress));
    EXPECT_EQ(session.RelativeFileName(SyncSide::One, one + "/sub/deep/a.txt"), "sub/deep/a.txt");
    EXPECT_EQ(session.RelativeFileName(SyncSide::Two, two + "/a.txt"), "a.txt");
    // The root's text further along is no prefix.
    EXPECT_EQ(session.RelativeFileName(SyncSide::One, "/copy" + one + "/a.txt"), "/copy" + one + "/a.txt");
}
