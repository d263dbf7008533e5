#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <future>
#include <mutex>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>

#include "ExecutorFixture.h"
#include "core/Error.h"
#include "platform/PosixFileSystem.h"
#include "sync/RootCheck.h"

using namespace tessarin;
using namespace tessarin::sync;
using testsupport::exists;
using testsupport::fieldRoot;
using testsupport::readFile;
using testsupport::Strings;
using testsupport::writeFile;

namespace {

using Executor = testsupport::ExecutorFixture;

// Fails every copy and delete of names holding "bad", as a full or protected disk would.
class FaultyFileSystem : public platform::PosixFileSystem {
public:
    platform::FsResult copyFile(const platform::TreePath& source, const platform::TreePath& target,
                                const platform::TargetExpectation& expected) override
    {
        if (target.relative.text().find("bad") != std::string::npos)
            return {"injected copy failure"};
        return PosixFileSystem::copyFile(source, target, expected);
    }
    platform::FsResult deleteFile(const platform::TreePath& path) override
    {
        if (path.relative.text().find("bad") != std::string::npos)
            return {"injected delete failure"};
        return PosixFileSystem::deleteFile(path);
    }
};

// Copies that take their time, so rows after them would overtake them.
class SlowCopyFileSystem : public platform::PosixFileSystem {
public:
    platform::FsResult copyFile(const platform::TreePath& source, const platform::TreePath& target,
                                const platform::TargetExpectation& expected) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        return PosixFileSystem::copyFile(source, target, expected);
    }
};

// A progress that tries to start a compare while rows run, as a click would.
class ClickingProgress : public testsupport::RecordingProgress {
public:
    SyncSession* session = nullptr;
    std::vector<bool> compareBegun;
    void processEvents() override
    {
        std::string a = "/tmp", b = "/tmp";
        compareBegun.push_back(session->CompareDirectories(fieldRoot(a), fieldRoot(b), SyncOptions{}, *this));
    }
};

} // namespace

TEST_F(Executor, EmptyListsDoNothingAtAll)
{
    testsupport::makeDir(one);
    testsupport::makeDir(two);
    compare();
    auto ex = executor();
    EXPECT_FALSE(ex.SyncOneToTwo(options).ran);
    EXPECT_FALSE(ex.SyncTwoToOne(options).ran);
    EXPECT_FALSE(ex.SyncBothWays(options).ran);
    EXPECT_FALSE(ex.RunCheckedRows(SyncSide::One, options).ran);
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_TRUE(progress.statuses.empty()); // no refresh
}

TEST_F(Executor, OneToTwoCopiesIntoAMissingTargetThenTheRefreshShowsNoRow)
{
    writeFile(one + "/a.txt", "aaa", 1600000000, 250000000);
    writeFile(one + "/x/y/c.txt", "ccc", 1600000000);
    testsupport::makeDir(one + "/empty");
    compare();
    const SyncReport report = executor().SyncOneToTwo(options);
    EXPECT_TRUE(report.ran);
    EXPECT_EQ(report.rowsRun, 2u);
    EXPECT_EQ(readFile(two + "/x/y/c.txt"), "ccc");
    EXPECT_EQ(readFile(two + "/a.txt"), "aaa");
    EXPECT_TRUE(testsupport::isDir(two + "/empty"));
    EXPECT_TRUE(rows(SyncSide::One).empty());
    EXPECT_TRUE(rows(SyncSide::Two).empty());
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "目录一同步到目录二完成！");
    EXPECT_EQ(prompt.shown[0].caption, "信息");
    EXPECT_EQ(prompt.shown[0].icon, tessarin::core::MessageIcon::Information);
    EXPECT_EQ(progress.statuses.back(), "准备就绪。");
}

TEST_F(Executor, WithoutTheRefreshTheListsKeepTheRowsThatRanAndNoWalkFollows)
{
    writeFile(one + "/a.txt", "aaa", 1600000000);
    compare();
    const std::size_t statusesBefore = progress.statuses.size();
    auto ex = executor();
    ex.setRefreshAfterCommand(false);
    const SyncReport report = ex.SyncOneToTwo(options);
    EXPECT_TRUE(report.ran);
    EXPECT_EQ(readFile(two + "/a.txt"), "aaa");
    EXPECT_EQ(rows(SyncSide::One), Strings({"新建 a.txt"}));
    for (std::size_t k = statusesBefore; k < progress.statuses.size(); ++k)
        EXPECT_NE(progress.statuses[k], "正在列出文件列表...");
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "目录一同步到目录二完成！");
}

TEST_F(Executor, DeleteOldFileOffKeepsTheTargetsExtraFilesAndDirectories)
{
    writeFile(one + "/a.txt", "a", 1600000000);
    writeFile(two + "/old.txt", "o", 1600000000);
    writeFile(two + "/extra/e.txt", "e", 1600000000);
    compare();
    EXPECT_EQ(rows(SyncSide::One), (Strings{"新建 a.txt", "删除 extra/e.txt", "删除 old.txt"}));
    executor().SyncOneToTwo(options);
    EXPECT_TRUE(exists(two + "/old.txt"));
    EXPECT_TRUE(exists(two + "/extra/e.txt"));
    EXPECT_TRUE(exists(two + "/a.txt"));
    EXPECT_EQ(rows(SyncSide::One), (Strings{"删除 extra/e.txt", "删除 old.txt"}));
}

TEST_F(Executor, DeleteOldFileOnRemovesExtraFilesAndDirectoriesWithTheirContents)
{
    writeFile(one + "/a.txt", "a", 1600000000);
    writeFile(one + "/keep/k.txt", "k", 1600000000);
    writeFile(two + "/old.txt", "o", 1600000000);
    writeFile(two + "/extra/e.txt", "e", 1600000000);
    writeFile(two + "/extra/deep/d.txt", "d", 1600000000);
    writeFile(two + "/extra2/f.txt", "f", 1600000000);
    options.deleteOldFile = true;
    compare();
    const SyncReport report = executor().SyncOneToTwo(options);
    EXPECT_TRUE(report.failures.empty()) << report.failures[0].reason;
    EXPECT_FALSE(exists(two + "/old.txt"));
    EXPECT_FALSE(exists(two + "/extra"));
    EXPECT_FALSE(exists(two + "/extra2")); // the nested extra/deep going first does not stop it
    EXPECT_EQ(readFile(two + "/keep/k.txt"), "k");
    EXPECT_TRUE(rows(SyncSide::One).empty());
    EXPECT_TRUE(rows(SyncSide::Two).empty());
    EXPECT_EQ(prompt.shown.at(0).icon, tessarin::core::MessageIcon::Information);
}

TEST_F(Executor, TwoToOneMirrorsTheOtherWay)
{
    writeFile(two + "/n.txt", "new", 1600000000);
    writeFile(one + "/gone/g.txt", "g", 1600000000);
    options.deleteOldFile = true;
    compare();
    EXPECT_EQ(rows(SyncSide::Two), (Strings{"删除 gone/g.txt", "新建 n.txt"}));
    executor().SyncTwoToOne(options);
    EXPECT_FALSE(exists(one + "/gone"));
    EXPECT_EQ(readFile(one + "/n.txt"), "new");
    EXPECT_EQ(prompt.shown.at(0).text, "目录二同步到目录一完成！");
}

TEST_F(Executor, OneWayCommandsRunAttributeRowsOnlyWithSyncAttributes)
{
    writeFile(one + "/a.txt", "a", 1600000000);
    writeFile(two + "/a.txt", "a", 1600000000);
    ::chmod((one + "/a.txt").c_str(), 0640);
    ::chmod((two + "/a.txt").c_str(), 0604);
    options.syncAttributes = false;
    compare();
    EXPECT_EQ(rows(SyncSide::One), (Strings{"属性 a.txt"}));
    executor().SyncOneToTwo(options);
    EXPECT_EQ(modeOf(two + "/a.txt"), 0604u);
    EXPECT_EQ(rows(SyncSide::One), (Strings{"属性 a.txt"}));

    // The word written is the one listed, even when the source changed since.
    options.syncAttributes = true;
    compare();
    ::chmod((one + "/a.txt").c_str(), 0600);
    executor().SyncOneToTwo(options);
    EXPECT_EQ(modeOf(two + "/a.txt"), 0640u);
}

// Copies overlap, but a row of another kind waits for them: the "属性" row of
// a file runs after its "更新" row has put the new copy in place.
TEST_F(Executor, ARowAfterACopyOfTheSameFileSeesTheCopyDone)
{
    SlowCopyFileSystem slow;
    fs = &slow;
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
        writeFile(one + "/" + name, "new", 1600000100);
        writeFile(two + "/" + name, "old", 1600000000);
        ::chmod((one + "/" + name).c_str(), 0640);
        ::chmod((two + "/" + name).c_str(), 0604);
    }
    compare();
    EXPECT_EQ(rows(SyncSide::One),
              (Strings{"更新 a.txt", "属性 a.txt", "更新 b.txt", "属性 b.txt", "更新 c.txt", "属性 c.txt"}));
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        ::chmod((one + "/" + name).c_str(), 0600); // the copy carries 0600, the row the listed 0640
    const SyncReport report = executor().SyncOneToTwo(options);
    EXPECT_TRUE(report.failures.empty());
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
        EXPECT_EQ(readFile(two + "/" + name), "new");
        EXPECT_EQ(modeOf(two + "/" + name), 0640u) << name;
    }
}

TEST_F(Executor, BothWaysNeverDeletesAndNeverSwapsAPairsAttributes)
{
    // equal.txt: same time, different permissions: directory one's word wins.
    writeFile(one + "/equal.txt", "e", 1600000000);
    writeFile(two + "/equal.txt", "e", 1600000000);
    ::chmod((one + "/equal.txt").c_str(), 0640);
    ::chmod((two + "/equal.txt").c_str(), 0604);
    // newer2.txt: directory two's copy is newer: its copy and word win.
    writeFile(one + "/newer2.txt", "old", 1600000000);
    writeFile(two + "/newer2.txt", "new", 1600000100);
    ::chmod((one + "/newer2.txt").c_str(), 0600);
    ::chmod((two + "/newer2.txt").c_str(), 0644);
    // newer1.txt: directory one's copy is newer.
    writeFile(one + "/newer1.txt", "new", 1600000100);
    writeFile(two + "/newer1.txt", "old", 1600000000);
    ::chmod((one + "/newer1.txt").c_str(), 0660);
    ::chmod((two + "/newer1.txt").c_str(), 0606);
    writeFile(one + "/only1.txt", "1", 1600000000);
    writeFile(two + "/only2/x.txt", "2", 1600000000);
    testsupport::makeDir(one + "/emptydir");
    compare();
    const SyncReport report = executor().SyncBothWays(options);
    EXPECT_TRUE(report.failures.empty());
    EXPECT_EQ(modeOf(one + "/equal.txt"), 0640u);
    EXPECT_EQ(modeOf(two + "/equal.txt"), 0640u);
    EXPECT_EQ(modeOf(one + "/newer2.txt"), 0644u);
    EXPECT_EQ(modeOf(two + "/newer2.txt"), 0644u);
    EXPECT_EQ(readFile(one + "/newer2.txt"), "new");
    EXPECT_EQ(modeOf(one + "/newer1.txt"), 0660u);
    EXPECT_EQ(modeOf(two + "/newer1.txt"), 0660u);
    EXPECT_EQ(readFile(two + "/only1.txt"), "1");
    EXPECT_EQ(readFile(one + "/only2/x.txt"), "2");
    EXPECT_TRUE(testsupport::isDir(two + "/emptydir"));
    EXPECT_TRUE(rows(SyncSide::One).empty());
    EXPECT_TRUE(rows(SyncSide::Two).empty());
    EXPECT_EQ(prompt.shown.at(0).text, "双向同步完成！");
}

TEST_F(Executor, BothWaysWithoutSyncAttributesPassesAttributeRowsOver)
{
    writeFile(one + "/a.txt", "a", 1600000000);
    writeFile(two + "/a.txt", "a", 1600000000);
    ::chmod((one + "/a.txt").c_str(), 0640);
    ::chmod((two + "/a.txt").c_str(), 0604);
    options.syncAttributes = false;
    compare();
    executor().SyncBothWays(options);
    EXPECT_EQ(modeOf(one + "/a.txt"), 0640u);
    EXPECT_EQ(modeOf(two + "/a.txt"), 0604u);
}

TEST_F(Executor, ACommandRunningNoRowTouchesNoDirectory)
{
    writeFile(two + "/old.txt", "o", 1600000000);
    writeFile(two + "/extra/e.txt", "e", 1600000000);
    testsupport::makeDir(one + "/onlyone");
    compare();
    // Every row of C_L1 is a "删除" row, passed over with DeleteOldFile off.
    const SyncReport report = executor().SyncOneToTwo(options);
    EXPECT_TRUE(report.ran);
    EXPECT_EQ(report.rowsRun, 0u);
    EXPECT_FALSE(exists(two + "/onlyone"));
    EXPECT_TRUE(exists(two + "/extra/e.txt"));
    EXPECT_EQ(prompt.shown.size(), 1u);
}

TEST_F(Executor, CheckedRowsRunWhateverTheOptionsAndEndUnchecked)
{
    writeFile(one + "/a.txt", "a", 1600000000);
    writeFile(one + "/b.txt", "b", 1600000000);
    writeFile(two + "/old.txt", "o", 1600000000);
    compare();
    // None checked: still a refresh and the message.
    EXPECT_TRUE(executor().RunCheckedRows(SyncSide::One, options).ran);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "选择的同步成功完成！");
    EXPECT_EQ(prompt.shown[0].caption, "提示");

    check(SyncSide::One, "b.txt");
    check(SyncSide::One, "old.txt"); // runs although DeleteOldFile is off
    const SyncReport report = executor().RunCheckedRows(SyncSide::One, options);
    EXPECT_EQ(report.rowsRun, 2u);
    EXPECT_FALSE(exists(two + "/a.txt"));
    EXPECT_TRUE(exists(two + "/b.txt"));
    EXPECT_FALSE(exists(two + "/old.txt"));
    EXPECT_EQ(rows(SyncSide::One), (Strings{"新建 a.txt"}));
    for (const SyncSide side : kBothSides)
        for (const auto& row : session->list(side))
            EXPECT_FALSE(row.Checked);
}

TEST_F(Executor, AFileWhereADirectoryIsNeededStopsTheCommandWithAnError)
{
    writeFile(one + "/x/f.txt", "f", 1600000000);
    writeFile(one + "/z.txt", "z", 1600000000);
    writeFile(two + "/x", "a file", 1600000000);
    compare();
    const Strings before = rows(SyncSide::One);
    try {
        executor().SyncOneToTwo(options);
        FAIL() << "no error";
    } catch (const tessarin::core::Error& e) {
        EXPECT_NE(std::string(e.what()).find(two + "/x"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(exists(two + "/z.txt"));   // later rows not run
    EXPECT_EQ(rows(SyncSide::One), before); // no refresh
    EXPECT_TRUE(prompt.shown.empty());      // no completion message
    EXPECT_FALSE(session->busy());
}

TEST_F(Executor, FailedRowsAreCountedListedAndWarnedOf)
{
    FaultyFileSystem faulty;
    fs = &faulty;
    writeFile(one + "/good.txt", "g", 1600000000);
    for (int i = 0; i < 25; ++i)
        writeFile(one + "/bad" + std::to_string(100 + i) + ".txt", "b", 1600000000);
    compare();
    const SyncReport report = executor().SyncOneToTwo(options);
    EXPECT_EQ(report.rowsRun, 26u);
    ASSERT_EQ(report.failures.size(), 25u);
    EXPECT_EQ(report.failures[0].fileName, "bad100.txt");
    EXPECT_EQ(report.failures[0].reason, "injected copy failure");
    EXPECT_TRUE(exists(two + "/good.txt"));
    ASSERT_EQ(prompt.shown.size(), 1u);
    const std::string& text = prompt.shown[0].text;
    EXPECT_EQ(prompt.shown[0].icon, tessarin::core::MessageIcon::Warning);
    EXPECT_EQ(text.rfind("目录一同步到目录二完成！\n\n有25个操作失败：\n→ 新建 bad100.txt：injected copy failure\n", 0),
              0u)
        << text;
    EXPECT_NE(text.find("bad119.txt"), std::string::npos);
    EXPECT_EQ(text.find("bad120.txt"), std::string::npos);
    EXPECT_NE(text.find("另有5个失败未列出。"), std::string::npos);
    // None is hidden: the box's details list every one of them.
    std::string all;
    for (int i = 0; i < 25; ++i)
        all += (i ? "\n" : "") + std::string("→ 新建 bad") + std::to_string(100 + i) + ".txt：injected copy failure";
    EXPECT_EQ(prompt.shown[0].details, all);

    // Checked rows with a failure never claim success.
    writeFile(two + "/bad.del", "x", 1600000000);
    compare();
    check(SyncSide::One, "bad.del");
    executor().RunCheckedRows(SyncSide::One, options);
    EXPECT_EQ(prompt.shown.back().text.find("成功"), std::string::npos);
    EXPECT_NE(prompt.shown.back().text.find("删除 bad.del：injected delete failure"), std::string::npos);
    EXPECT_EQ(prompt.shown.back().caption, "提示");
}

// The copy fails part-way in earnest (the process may not write a file that
// large): the row is reported, the old target is kept byte for byte.
TEST_F(Executor, ACopyFailingPartWayIsReportedAndKeepsTheOldTarget)
{
    writeFile(one + "/big.bin", std::string(512 * 1024, 'n'), 1600000100);
    writeFile(two + "/big.bin", "old bytes", 1600000000);
    compare();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const struct rlimit limit {
            32 * 1024, 32 * 1024
        };
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const SyncReport report = executor().SyncOneToTwo(options);
        const bool reported = report.failures.size() == 1 && report.failures[0].fileName == "big.bin" &&
                              prompt.shown.size() == 1 &&
                              prompt.shown[0].icon == tessarin::core::MessageIcon::Warning &&
                              rows(SyncSide::One) == Strings{"更新 big.bin"};
        ::_exit(reported ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the failure was not reported";
    EXPECT_EQ(readFile(two + "/big.bin"), "old bytes");
    EXPECT_EQ(testsupport::namesIn(two), (Strings{"big.bin"})); // no temporary file
}

TEST_F(Executor, AMissingSourceRootRefusesAOneWayCommand)
{
    writeFile(two + "/precious.txt", "p", 1600000000);
    options.deleteOldFile = true;
    compare();
    const SyncReport report = executor().SyncOneToTwo(options);
    EXPECT_FALSE(report.ran);
    EXPECT_TRUE(report.refused);
    EXPECT_TRUE(exists(two + "/precious.txt"));
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "目录一“" + one + "”不存在或不是目录，同步没有执行。");
    EXPECT_EQ(prompt.shown[0].icon, tessarin::core::MessageIcon::Warning);
    // Checked rows obey the same guard: a mistyped directory one, 全选, 执行.
    check(SyncSide::One, "precious.txt");
    EXPECT_TRUE(executor().RunCheckedRows(SyncSide::One, options).refused);
    EXPECT_TRUE(exists(two + "/precious.txt"));
    // The other way round the missing root is the target: it is created.
    EXPECT_TRUE(executor().SyncTwoToOne(options).ran);
    EXPECT_EQ(readFile(one + "/precious.txt"), "p");
}

TEST_F(Executor, NestedOrIdenticalRootsRefuseEveryCommand)
{
    writeFile(one + "/a.txt", "a", 1600000000);
    ASSERT_EQ(::symlink(one.c_str(), (tmp / "alias").c_str()), 0);
    struct Case {
        std::string two;
        std::string notice;
    };
    const Case cases[] = {
        {one + "/inside", "目录二位于目录一之内，同步没有执行。"},          // not there yet
        {tmp / "alias/sub/deeper", "目录二位于目录一之内，同步没有执行。"}, // through a link
        {tmp.path(), "目录一位于目录二之内，同步没有执行。"},
    };
    for (const Case& c : cases) {
        two = c.two;
        compare();
        check(SyncSide::One, "a.txt");
        prompt.shown.clear();
        auto ex = executor();
        EXPECT_TRUE(ex.SyncOneToTwo(options).refused) << c.two;
        EXPECT_TRUE(ex.SyncBothWays(options).refused) << c.two;
        EXPECT_TRUE(ex.RunCheckedRows(SyncSide::One, options).refused) << c.two;
        ASSERT_EQ(prompt.shown.size(), 3u);
        EXPECT_EQ(prompt.shown[0].text, c.notice);
    }
    EXPECT_FALSE(exists(one + "/inside"));
    EXPECT_FALSE(exists(one + "/sub"));
    // One directory under two names lists alike on both sides, so the lists
    // are empty; the check itself refuses it all the same.
    EXPECT_EQ(rootsRefusal(posix, platform::Root(one), platform::Root(tmp / "alias/."), std::nullopt, {false, false}),
              "目录一和目录二是同一个目录，同步没有执行。");
    EXPECT_EQ(rootsRefusal(posix, platform::Root(one), platform::Root(tmp / "elsewhere"), std::nullopt, {false, false}),
              std::nullopt);
}

TEST_F(Executor, ACommandWhileBusyIsNotBegunAndACompareDuringRowsIsRefused)
{
    writeFile(one + "/a.txt", "a", 1600000000);
    writeFile(one + "/b.txt", "b", 1600000000);
    compare();
    {
        SyncSession::BusyScope busy(*session);
        EXPECT_FALSE(executor().SyncOneToTwo(options).ran);
        EXPECT_FALSE(exists(two));
    }
    ClickingProgress clicking;
    clicking.session = session.get();
    testsupport::TellingExecutor ex(*session, clicking, prompt);
    const SyncReport report = ex.SyncOneToTwo(options);
    EXPECT_EQ(report.rowsRun, 2u);
    // Two passes while the rows ran were refused; the refresh's own passes came after.
    ASSERT_GE(clicking.compareBegun.size(), 3u);
    EXPECT_FALSE(clicking.compareBegun[0]);
    EXPECT_FALSE(clicking.compareBegun[1]);
    EXPECT_EQ(session->root(SyncSide::One).text(), one);
}

TEST_F(Executor, ProgressNamesTheRowAndTotalAndAlwaysTheLast)
{
    for (int i = 0; i < 3; ++i)
        writeFile(one + "/f" + std::to_string(i), "x", 1600000000);
    compare();
    executor().SyncOneToTwo(options);
    const Strings running(progress.statuses.begin(), progress.statuses.begin() + 3);
    EXPECT_EQ(running,
              (Strings{"正在同步，当前1个，共3个...", "正在同步，当前2个，共3个...", "正在同步，当前3个，共3个..."}));

    // A long interval lets only the first and the last through.
    for (int i = 0; i < 3; ++i)
        writeFile(two + "/f" + std::to_string(i), "y", 1600000100);
    session->setProgressInterval(1000000);
    compare();
    executor().SyncTwoToOne(options);
    EXPECT_EQ(progress.statuses[0], "正在同步，当前1个，共3个...");
    EXPECT_EQ(progress.statuses[1], "正在同步，当前3个，共3个...");
}

TEST_F(Executor, ADirectoryThePassCannotRemoveOrCreateIsReportedOnceAndTheRowsStillRun)
{
    // The extra directory holds a hidden one, which the removal leaves: its
    // own removal fails. The pass is tried again before each of the rows.
    writeFile(one + "/a.txt", "a", 1600000000);
    writeFile(one + "/b.txt", "b", 1600000000);
    writeFile(two + "/extra/.git/config", "c", 1600000000);
    options.deleteOldFile = true;
    compare();
    SyncReport report = executor().SyncOneToTwo(options);
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(report.failures[0].kind, FailureKind::Folder);
    EXPECT_EQ(report.failures[0].fileName, two + "/extra");
    EXPECT_EQ(report.failures[0].reason, platform::systemErrorText(ENOTEMPTY));
    EXPECT_EQ(readFile(two + "/a.txt"), "a");
    EXPECT_EQ(readFile(two + "/b.txt"), "b");
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].icon, tessarin::core::MessageIcon::Warning);
    EXPECT_EQ(prompt.shown[0].text, "目录一同步到目录二完成！\n\n有1个操作失败：\n→ 目录 " + two + "/extra：" +
                                        platform::systemErrorText(ENOTEMPTY));

    // A file standing where a missing directory is to be created: reported
    // once, before the rows that follow it.
    prompt.shown.clear();
    ::mkdir((one + "/empty").c_str(), 0755);
    writeFile(two + "/empty", "a file", 1600000000);
    writeFile(one + "/c.txt", "c", 1600000000);
    writeFile(one + "/d.txt", "d", 1600000000);
    compare();
    report = executor().SyncOneToTwo(options);
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(report.failures[0].kind, FailureKind::Folder);
    EXPECT_EQ(report.failures[0].fileName, two + "/empty");
    EXPECT_EQ(failureWord(report.failures[0]), "目录");
    EXPECT_EQ(readFile(two + "/d.txt"), "d");
}

namespace {

// Fails the copies of names holding "bad", those of names holding "slow"
// only after a while, so that they are still under way when a later row
// stops the command.
class LateFailureFileSystem : public platform::PosixFileSystem {
public:
    platform::FsResult copyFile(const platform::TreePath& source, const platform::TreePath& target,
                                const platform::TargetExpectation& expected) override
    {
        if (target.relative.text().find("slow") != std::string::npos)
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
        if (target.relative.text().find("bad") != std::string::npos)
            return {"injected copy failure"};
        return PosixFileSystem::copyFile(source, target, expected);
    }
};

} // namespace

TEST_F(Executor, AnErrorThatStopsTheCommandComesWithEveryFailureBeforeIt)
{
    LateFailureFileSystem faulty;
    fs = &faulty;
    writeFile(one + "/a/bad-new.txt", "n", 1600000000);
    writeFile(one + "/a/bad-slow.txt", "new", 1600000100);
    writeFile(two + "/a/bad-slow.txt", "old", 1600000000);
    writeFile(one + "/x/f.txt", "f", 1600000000);
    writeFile(one + "/y.txt", "y", 1600000000);
    writeFile(two + "/x", "a file", 1600000000);
    compare();
    ASSERT_EQ(rows(SyncSide::One),
              (Strings{"新建 a/bad-new.txt", "更新 a/bad-slow.txt", "新建 x/f.txt", "新建 y.txt", "删除 x"}));
    try {
        executor().SyncOneToTwo(options);
        FAIL() << "not stopped";
    } catch (const CommandStopped& stopped) {
        EXPECT_EQ(std::string(stopped.what()), "无法创建目录“" + two + "/x”：" + platform::systemErrorText(EEXIST));
        std::vector<std::string> listed;
        for (const RowFailure& f : stopped.failures())
            listed.push_back(std::string(failureWord(f)) + " " + f.fileName + " " + f.reason);
        EXPECT_EQ(listed,
                  (Strings{"目录 " + two + "/x " + platform::systemErrorText(EEXIST),
                           "新建 a/bad-new.txt injected copy failure", "更新 a/bad-slow.txt injected copy failure"}));
        // x/f.txt, which stopped it, and y.txt were not run.
        EXPECT_EQ(stopped.notRun(), 2u);
        EXPECT_FALSE(exists(two + "/y.txt"));
    }
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_FALSE(session->busy());
}

namespace {

// Fails the copies of names holding "bad"; holds the copies of names
// holding "slow" until the stop is asked for, so that one is under way then.
class HeldCopyFileSystem : public platform::PosixFileSystem {
public:
    void open()
    {
        std::call_once(opened_, [this] { release_.set_value(); });
    }
    platform::FsResult copyFile(const platform::TreePath& source, const platform::TreePath& target,
                                const platform::TargetExpectation& expected) override
    {
        if (target.relative.text().find("slow") != std::string::npos)
            released_.wait();
        if (target.relative.text().find("bad") != std::string::npos)
            return {"injected copy failure"};
        return PosixFileSystem::copyFile(source, target, expected);
    }

private:
    std::once_flag opened_;
    std::promise<void> release_;
    std::shared_future<void> released_ = release_.get_future().share();
};

// Asks to stop during the event pass before row number stopAt (1-based), as
// Esc would; a stop heeded is cleared, as the window's Esc is.
class StoppingProgress : public testsupport::RecordingProgress {
public:
    StoppingProgress(int stopAt, HeldCopyFileSystem& fs) : stopAt_(stopAt), fs_(fs) {}
    void processEvents() override
    {
        // The held copy goes on from the moment of the stop: it is under
        // way while the stop is heard.
        if (++eventPasses == stopAt_) {
            stop_ = true;
            fs_.open();
        }
    }
    bool stopRequested() const override { return stop_; }
    void stopHeeded() override
    {
        stop_ = false;
        ++heeded;
    }
    int heeded = 0;

private:
    int stopAt_;
    HeldCopyFileSystem& fs_;
    bool stop_ = false;
};

} // namespace

TEST_F(Executor, AStopRunsNoLaterRowFinishesTheCopiesUnderWayAndRefreshes)
{
    HeldCopyFileSystem held;
    fs = &held;
    writeFile(one + "/a-bad.txt", "a", 1600000000);
    writeFile(one + "/b-slow.txt", "new", 1600000100);
    writeFile(two + "/b-slow.txt", "old", 1600000000);
    writeFile(one + "/c.txt", "c", 1600000000);
    writeFile(one + "/d.txt", "d", 1600000000);
    compare();
    ASSERT_EQ(rows(SyncSide::One), (Strings{"新建 a-bad.txt", "更新 b-slow.txt", "新建 c.txt", "新建 d.txt"}));
    StoppingProgress stopping(3, held);
    testsupport::TellingExecutor ex(*session, stopping, prompt);
    const SyncReport report = ex.SyncOneToTwo(options);
    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(report.rowsRun, 2u);
    EXPECT_EQ(report.notRun, 2u);
    // The update under way when the stop was heard was finished, no later row ran.
    EXPECT_EQ(readFile(two + "/b-slow.txt"), "new");
    EXPECT_FALSE(exists(two + "/c.txt"));
    EXPECT_FALSE(exists(two + "/d.txt"));
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(stopping.heeded, 1);
    // The refresh ran and lists what is left.
    EXPECT_EQ(rows(SyncSide::One), (Strings{"新建 a-bad.txt", "新建 c.txt", "新建 d.txt"}));
    EXPECT_EQ(stopping.statuses.back(), "准备就绪。");
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text,
              "同步已停止，有2个操作没有执行。\n\n有1个操作失败：\n→ 新建 a-bad.txt：injected copy failure");
    EXPECT_EQ(prompt.shown[0].icon, tessarin::core::MessageIcon::Warning);
    EXPECT_EQ(prompt.shown[0].details, "→ 新建 a-bad.txt：injected copy failure");
    EXPECT_FALSE(session->busy());

    // Without the refresh the status rests on the stop.
    prompt.shown.clear();
    StoppingProgress early(2, held);
    testsupport::TellingExecutor quiet(*session, early, prompt);
    quiet.setRefreshAfterCommand(false);
    const SyncReport second = quiet.SyncOneToTwo(options);
    EXPECT_TRUE(second.stopped);
    EXPECT_EQ(second.notRun, 2u);
    EXPECT_FALSE(exists(two + "/c.txt"));
    EXPECT_EQ(early.statuses.back(), "同步已停止。");
}
