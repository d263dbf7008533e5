#include <gtest/gtest.h>

#include "platform/PosixFileSystem.h"
#include "support/FieldRoot.h"
#include "support/RecordingProgress.h"
#include "support/TempDir.h"
#include "sync/SyncSession.h"

using namespace tessarin;
using namespace tessarin::sync;
using testsupport::fieldRoot;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

using Strings = std::vector<std::string>;

Strings rows(const SyncSession& s, SyncSide side)
{
    Strings out;
    for (const SyncOperation& row : s.list(side)) {
        EXPECT_FALSE(row.Checked);
        out.push_back(std::string(directionArrow(side)) + " " + std::string(operationWord(row.operation)) + " " +
                      row.FileName);
    }
    return out;
}

struct Compare : ::testing::Test {
    TempDir tmp;
    platform::PosixFileSystem fs;
    SyncSession session{fs};
    testsupport::RecordingProgress progress;
    SyncOptions options;
    std::string one = tmp / "one", two = tmp / "two";

    Compare()
    {
        session.setProgressInterval(0);
        testsupport::makeDir(one);
        testsupport::makeDir(two);
    }
    void run() { ASSERT_TRUE(session.CompareDirectories(fieldRoot(one), fieldRoot(two), options, progress)); }
};

constexpr long long T = 1600000000;

} // namespace

TEST_F(Compare, EqualPairsGiveNoRowsWhateverTheirSizeOrSubSeconds)
{
    writeFile(one + "/same", "aaaa", T);
    writeFile(two + "/same", "bb", T);
    writeFile(one + "/ms", "x", T, 100000000);
    writeFile(two + "/ms", "x", T, 900000000);
    run();
    EXPECT_TRUE(rows(session, SyncSide::One).empty());
    EXPECT_TRUE(rows(session, SyncSide::Two).empty());
}

TEST_F(Compare, NewerAndAttributeDifferences)
{
    writeFile(one + "/newer", "x", T + 1);
    writeFile(two + "/newer", "x", T);
    writeFile(one + "/ro", "x", T);
    writeFile(two + "/ro", "x", T);
    ::chmod((two + "/ro").c_str(), 0444);
    writeFile(one + "/both", "x", T + 5);
    writeFile(two + "/both", "x", T);
    ::chmod((one + "/both").c_str(), 0600);
    ::chmod((two + "/both").c_str(), 0644);
    run();
    EXPECT_EQ(rows(session, SyncSide::One), (Strings{"→ 更新 both", "→ 属性 both", "→ 更新 newer", "→ 属性 ro"}));
    EXPECT_EQ(rows(session, SyncSide::Two), (Strings{"← 属性 both", "← 属性 ro"}));
}

TEST_F(Compare, RowOrderNewBeforeDeleteAndNamesMatchedWithCase)
{
    writeFile(one + "/a.txt", "", T);
    writeFile(one + "/c.txt", "", T + 60);
    writeFile(one + "/Readme.txt", "", T);
    writeFile(two + "/b.txt", "", T);
    writeFile(two + "/c.txt", "", T);
    writeFile(two + "/README.TXT", "", T);
    run();
    EXPECT_EQ(rows(session, SyncSide::One),
              (Strings{"→ 新建 Readme.txt", "→ 新建 a.txt", "→ 更新 c.txt", "→ 删除 README.TXT", "→ 删除 b.txt"}));
    EXPECT_EQ(rows(session, SyncSide::Two),
              (Strings{"← 删除 Readme.txt", "← 删除 a.txt", "← 新建 README.TXT", "← 新建 b.txt"}));
}

TEST_F(Compare, MissingSideMakesEveryFileNewOnOneSideAndDeleteOnTheOther)
{
    writeFile(two + "/x/a", "", T);
    writeFile(two + "/b", "", T);
    one = tmp / "gone";
    run();
    EXPECT_EQ(rows(session, SyncSide::One), (Strings{"→ 删除 x/a", "→ 删除 b"}));
    EXPECT_EQ(rows(session, SyncSide::Two), (Strings{"← 新建 x/a", "← 新建 b"}));
}

TEST_F(Compare, ProgressTextsInOrderAndFinalState)
{
    writeFile(one + "/a", "", T);
    writeFile(one + "/b", "", T);
    writeFile(one + "/c", "", T);
    writeFile(two + "/a", "", T);
    run();
    EXPECT_EQ(progress.statuses,
              (Strings{"正在列出文件列表...", "正在处理目录一的文件比较，当前1个，共3个...",
                       "正在处理目录一的文件比较，当前2个，共3个...", "正在处理目录一的文件比较，当前3个，共3个...",
                       "正在处理目录二的文件比较，当前1个，共1个...", "准备就绪。"}));
}

TEST_F(Compare, EmptyRootsGiveNoProgressTextsAndNoRows)
{
    run();
    EXPECT_EQ(progress.statuses, (Strings{"正在列出文件列表...", "准备就绪。"}));
    EXPECT_TRUE(session.list(SyncSide::One).empty());
    EXPECT_TRUE(session.list(SyncSide::Two).empty());
}

TEST_F(Compare, ThrottledProgressStillShowsTheLastTextOfEachPhase)
{
    for (int i = 0; i < 200; ++i)
        writeFile(one + "/f" + std::to_string(i), "", T);
    session.setProgressInterval(3600 * 1000);
    run();
    ASSERT_GE(progress.statuses.size(), 3u);
    EXPECT_LE(progress.statuses.size(), 4u);
    EXPECT_EQ(progress.statuses[progress.statuses.size() - 2], "正在处理目录一的文件比较，当前200个，共200个...");
    EXPECT_EQ(progress.statuses.back(), "准备就绪。");
}

TEST_F(Compare, EmptyFieldDoesNothingAndTrimmingRemovesOneSlash)
{
    writeFile(one + "/a", "", T);
    run();
    ASSERT_EQ(session.list(SyncSide::One).size(), 1u);
    // An empty field names no root: no compare is made of it.
    EXPECT_FALSE(platform::rootTextOf("").has_value());
    EXPECT_EQ(session.list(SyncSide::One).size(), 1u); // the previous lists stay

    const std::optional<std::string> a = platform::rootTextOf(one + "//"), b = platform::rootTextOf(two + "/");
    ASSERT_TRUE(session.CompareDirectories(*a, *b, options, progress));
    EXPECT_EQ(a, one + "/");
    EXPECT_EQ(b, two);
    EXPECT_EQ(session.root(SyncSide::One).text(), one + "/");
}

TEST_F(Compare, ASecondCompareDuringACompareIsNotBegun)
{
    // A progress that tries to start the command again from inside the loop,
    // as a click processed during event handling would.
    struct Reentering : testsupport::RecordingProgress {
        SyncSession* s = nullptr;
        std::string d1, d2;
        int refused = 0;
        void processEvents() override
        {
            SyncOptions o;
            if (!s->CompareDirectories(fieldRoot(d1), fieldRoot(d2), o, *this))
                ++refused;
        }
    } re;
    writeFile(one + "/a", "", T);
    re.s = &session;
    re.d1 = two;
    re.d2 = one;
    ASSERT_TRUE(session.CompareDirectories(fieldRoot(one), fieldRoot(two), options, re));
    EXPECT_GT(re.refused, 0);
    EXPECT_EQ(rows(session, SyncSide::One), (Strings{"→ 新建 a"}));
    EXPECT_FALSE(session.busy());
}
