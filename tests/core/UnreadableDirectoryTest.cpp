// A directory that cannot be read was not seen: nothing inside it on either
// side may be compared, copied, deleted, created or removed.
#include <gtest/gtest.h>

#include "ExecutorFixture.h"
#include "messages/CompletionText.h"
#include "support/FieldRoot.h"
#include "support/RefusingFileSystem.h"

using namespace tessarin;
using namespace tessarin::sync;
using tessarin::messages::unreadableDetailsText;
using tessarin::messages::unreadableText;
using testsupport::exists;
using testsupport::readFile;
using testsupport::RefusingFileSystem;
using testsupport::Strings;
using testsupport::texts;
using testsupport::writeFile;

namespace {

struct UnreadableDirectory : testsupport::ExecutorFixture {
    RefusingFileSystem refusing;
    UnreadableDirectory() { fs = &refusing; }

    // Directory one's "locked" cannot be read; directory two holds the copies
    // made from it earlier, a subdirectory of it, and a file of its own.
    void makeTrees()
    {
        writeFile(one + "/locked/a.txt", "new a", 1700000000);
        writeFile(one + "/open/b.txt", "b", 1600000000);
        writeFile(two + "/locked/a.txt", "old a", 1600000000);
        writeFile(two + "/locked/sub/c.txt", "c", 1600000000);
        writeFile(two + "/open/b.txt", "b", 1600000000);
        writeFile(two + "/extra.txt", "x", 1600000000);
        refusing.refused.insert(one + "/locked/");
    }
};

} // namespace

TEST_F(UnreadableDirectory, NoRowForWhatLiesInsideOnEitherSide)
{
    makeTrees();
    compare();
    EXPECT_EQ(texts(session->unreadable(SyncSide::One)), (Strings{"locked"}));
    EXPECT_TRUE(session->unreadable(SyncSide::Two).empty());
    EXPECT_EQ(rows(SyncSide::One), (Strings{"删除 extra.txt"}));
    EXPECT_EQ(rows(SyncSide::Two), (Strings{"新建 extra.txt"}));

    EXPECT_TRUE(session->insideUnreadable("locked/a.txt"));
    EXPECT_TRUE(session->insideUnreadable("locked/sub"));
    EXPECT_FALSE(session->insideUnreadable("locked"));        // the directory itself was seen
    EXPECT_FALSE(session->insideUnreadable("lockedx/a.txt")); // a name sharing its first letters
}

TEST_F(UnreadableDirectory, OneWaySyncWithDeletionLeavesTheTargetsCopiesAlone)
{
    makeTrees();
    options.deleteOldFile = true;
    compare();
    const SyncReport report = executor().SyncOneToTwo(options);
    EXPECT_TRUE(report.failures.empty());
    EXPECT_FALSE(exists(two + "/extra.txt")); // outside: deleted as asked
    EXPECT_EQ(readFile(two + "/locked/a.txt"), "old a");
    EXPECT_EQ(readFile(two + "/locked/sub/c.txt"), "c");
}

TEST_F(UnreadableDirectory, TheOtherWayNothingIsCopiedOverWhatCouldNotBeSeen)
{
    makeTrees();
    writeFile(two + "/locked/d.txt", "d", 1600000000);
    compare();
    executor().SyncTwoToOne(options);
    EXPECT_FALSE(exists(one + "/locked/d.txt"));
    EXPECT_FALSE(exists(one + "/locked/sub"));
    EXPECT_EQ(readFile(one + "/locked/a.txt"), "new a");
    EXPECT_TRUE(exists(one + "/extra.txt"));
}

TEST_F(UnreadableDirectory, AnUnreadableRootGivesNoRowsAtAll)
{
    writeFile(one + "/a.txt", "a", 1600000000);
    writeFile(two + "/b.txt", "b", 1600000000);
    refusing.refused.insert(one + "/");
    options.deleteOldFile = true;
    compare();
    EXPECT_EQ(texts(session->unreadable(SyncSide::One)), (Strings{""}));
    EXPECT_TRUE(session->list(SyncSide::One).empty());
    EXPECT_TRUE(session->list(SyncSide::Two).empty());
    executor().SyncOneToTwo(options);
    EXPECT_TRUE(exists(two + "/b.txt"));
}

TEST_F(UnreadableDirectory, TheNoticeNamesEachDirectoryAndCountsBeyondTwenty)
{
    writeFile(two + "/t.txt", "t");
    for (int k = 0; k < 22; ++k) {
        const std::string dir = one + "/d" + (k < 10 ? "0" : "") + std::to_string(k);
        writeFile(dir + "/f.txt", "f");
        refusing.refused.insert(dir + "/");
    }
    compare();
    const std::string text = unreadableText(*session);
    EXPECT_EQ(text.rfind("有22个目录无法读取，其中的文件没有比较，也不会被同步：\n" + one + "/d00/\n", 0), 0u) << text;
    EXPECT_NE(text.find(one + "/d19/"), std::string::npos);
    EXPECT_EQ(text.find(one + "/d20/"), std::string::npos);
    EXPECT_NE(text.find("……另有2个目录未列出。"), std::string::npos);
    // The notice's details name all 22.
    std::string all;
    for (int k = 0; k < 22; ++k)
        all += (k ? "\n" : "") + one + "/d" + (k < 10 ? "0" : "") + std::to_string(k) + "/";
    EXPECT_EQ(unreadableDetailsText(*session), all);

    refusing.refused.clear();
    compare();
    EXPECT_EQ(unreadableText(*session), "");
}

// Another user's link out of directory one is not followed: unseen as a
// directory that cannot be read, so two's file of that name is neither
// updated nor deleted, and the notice names the link with its reason.
TEST_F(UnreadableDirectory, AnotherUsersLinkOutOfARootIsUnseenAndNamedInTheNotice)
{
    writeFile(tmp / "outside/shadow", "root only", 1700000000);
    writeFile(one + "/a.txt", "a", 1600000000);
    testsupport::makeDir(two);
    ASSERT_EQ(::symlink("../outside/shadow", (one + "/lnk").c_str()), 0);
    ASSERT_EQ(::lchown((one + "/lnk").c_str(), 65534, 65534), 0);
    writeFile(two + "/lnk", "two's own", 1600000000);
    options.deleteOldFile = true;
    compare();
    EXPECT_EQ(rows(SyncSide::One), (Strings{"新建 a.txt"}));
    const std::string line = one + "/lnk：是其他用户的链接，指向根目录之外，没有比较";
    EXPECT_EQ(unreadableText(*session), "有1个链接没有比较，也不会被同步：\n" + line);
    EXPECT_EQ(unreadableDetailsText(*session), line);
    executor().SyncOneToTwo(options);
    EXPECT_EQ(readFile(two + "/lnk"), "two's own");
}
