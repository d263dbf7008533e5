// A compare hands each table and both lists to the session whole, and says so.
#include <atomic>
#include <gtest/gtest.h>

#include "platform/PosixFileSystem.h"
#include "support/RecordingObserver.h"
#include "support/RecordingProgress.h"
#include "support/TempDir.h"
#include "sync/SyncSession.h"

using namespace tessarin;
using namespace tessarin::sync;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

using Strings = std::vector<std::string>;

// Notes, at each announcement, how many rows the session holds then:
// "files1/files2/rows1/rows2".
class SnapshotObserver : public testsupport::RecordingObserver {
public:
    const SyncSession* session = nullptr;
    Strings seen;

    void listsEmptied() override
    {
        RecordingObserver::listsEmptied();
        snapshot();
    }
    void sideListed(SyncSide side, std::string_view countText) override
    {
        RecordingObserver::sideListed(side, countText);
        snapshot();
    }
    void listsReady() override
    {
        RecordingObserver::listsReady();
        snapshot();
    }

private:
    void snapshot()
    {
        seen.push_back(events.back() + " " + std::to_string(session->table(SyncSide::One).fileCount()) + "/" +
                       std::to_string(session->table(SyncSide::Two).fileCount()) + "/" +
                       std::to_string(session->list(SyncSide::One).size()) + "/" +
                       std::to_string(session->list(SyncSide::Two).size()));
    }
};

// Asks the compare to stop once it has begun matching the names.
class StopWhileMatching : public testsupport::RecordingProgress {
public:
    void setStatus(std::string_view text) override
    {
        if (text.rfind("正在处理", 0) == 0)
            stop = true;
        RecordingProgress::setStatus(text);
    }
    bool stopRequested() const override { return stop.load(); }
    std::atomic<bool> stop{false};
};

struct HandOver : ::testing::Test {
    TempDir tmp;
    platform::PosixFileSystem fs;
    SyncSession session{fs};
    SnapshotObserver observer;
    SyncOptions options;
    std::string one = tmp / "one", two = tmp / "two";

    HandOver()
    {
        observer.session = &session;
        session.setObserver(&observer);
        writeFile(one + "/a.txt", "a", 1000000000);
        writeFile(one + "/sub/b.txt", "b", 1000000000);
        writeFile(two + "/c.txt", "c", 1000000000);
    }
};

} // namespace

TEST_F(HandOver, EachSideAndThenTheListsArriveComplete)
{
    testsupport::RecordingProgress progress;
    ASSERT_TRUE(session.CompareDirectories(one, two, options, progress));
    EXPECT_EQ(observer.seen, (Strings{"rebuild 0/0/0/0", "side1 2/0/0/0", "side2 2/1/0/0", "lists 2/1/3/3"}));

    // A second compare releases the first one's tables before it lists.
    ASSERT_TRUE(session.CompareDirectories(one, two, options, progress));
    EXPECT_EQ(observer.seen[4], "rebuild 0/0/0/0");
    EXPECT_EQ(observer.seen.size(), 8u);
    EXPECT_EQ(session.list(SyncSide::Two).size(), 3u);
}

TEST_F(HandOver, AStoppedCompareEmptiesWhatItHadHandedInAndNeverHandsInLists)
{
    StopWhileMatching progress;
    session.setProgressInterval(0);
    ASSERT_TRUE(session.CompareDirectories(one, two, options, progress));
    ASSERT_TRUE(session.lastCompareStopped());
    EXPECT_EQ(observer.seen, (Strings{"rebuild 0/0/0/0", "side1 2/0/0/0", "side2 2/1/0/0", "rebuild 0/0/0/0",
                                      "side1 0/0/0/0", "side2 0/0/0/0"}));
    EXPECT_EQ(observer.counts, (Strings{"1:共2个文件", "2:共1个文件", "1:共0个文件", "2:共0个文件"}));
    EXPECT_EQ(progress.statuses.back(), "比较已停止。");
}

TEST_F(HandOver, ACompareRefusedDuringARunAnnouncesNothing)
{
    testsupport::RecordingProgress progress;
    SyncSession::BusyScope running(session);
    EXPECT_FALSE(session.CompareDirectories(one, two, options, progress));
    EXPECT_TRUE(observer.events.empty());
}
