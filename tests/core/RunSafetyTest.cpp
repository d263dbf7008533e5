// What a command guarantees around its rows: files it wrote are never deleted
// in the same run, what it wrote is flushed before the completion message,
// and stale temporary files of a killed run go where it writes.
#include "ExecutorFixture.h"

using namespace tessarin;
using namespace tessarin::sync;
using testsupport::exists;
using testsupport::readFile;
using testsupport::Strings;
using testsupport::writeFile;

namespace {

using RunSafety = testsupport::ExecutorFixture;

// Records each flush, and how many messages had been shown by then.
class FlushRecorder : public platform::PosixFileSystem {
public:
    const testsupport::ScriptedPrompt* prompt = nullptr;
    std::vector<std::size_t> shownAtFlush;
    std::string failWith;
    platform::FsResult flushWrites() override
    {
        shownAtFlush.push_back(prompt->shown.size());
        const platform::FsResult flushed = PosixFileSystem::flushWrites();
        return failWith.empty() ? flushed : platform::FsResult(failWith);
    }
};

// A volume that matches names without regard to case: a copy onto a name
// lands on the entry already there under another case.
class CaseFoldingFileSystem : public platform::PosixFileSystem {
public:
    platform::FsResult copyFile(const std::string& source, const platform::TreePath& target,
                                const platform::TargetExpectation& expected) override
    {
        platform::TreePath folded = target;
        if (folded.relative == "Readme.txt")
            folded.relative = "README.TXT";
        return PosixFileSystem::copyFile(source, folded, expected);
    }
};

} // namespace

TEST_F(RunSafety, WrittenFilesAreFlushedBeforeTheCompletionMessageAndAFailedFlushIsReported)
{
    FlushRecorder recorder;
    recorder.prompt = &prompt;
    fs = &recorder;
    writeFile(one + "/a.txt", "a", 1600000000);
    testsupport::makeDir(two);
    compare();
    const SyncReport report = executor().SyncOneToTwo(options);
    EXPECT_TRUE(report.failures.empty());
    EXPECT_EQ(recorder.shownAtFlush, (std::vector<std::size_t>{0}));
    EXPECT_EQ(prompt.shown.at(0).icon, tessarin::core::MessageIcon::Information);

    writeFile(one + "/b.txt", "b", 1600000000);
    recorder.failWith = "Input/output error";
    compare();
    prompt.shown.clear();
    const SyncReport failed = executor().SyncOneToTwo(options);
    ASSERT_EQ(failed.failures.size(), 1u);
    EXPECT_EQ(failed.failures[0].reason, "无法写入磁盘：Input/output error");
    EXPECT_EQ(prompt.shown.at(0).icon, tessarin::core::MessageIcon::Warning);
}

TEST_F(RunSafety, AFileTheVolumeTakesForANewNameIsNeitherOverwrittenNorDeleted)
{
    CaseFoldingFileSystem folding;
    fs = &folding;
    writeFile(one + "/Readme.txt", "newer text", 1600000100);
    writeFile(two + "/README.TXT", "older text", 1600000000);
    writeFile(two + "/stale.txt", "s", 1600000000);
    options.deleteOldFile = true;
    compare();
    ASSERT_EQ(rows(1), (Strings{"新建 Readme.txt", "删除 README.TXT", "删除 stale.txt"}));

    // The volume takes the new name for the file there, whose time nobody
    // compared: it is neither overwritten nor, as the same file, deleted.
    const SyncReport report = executor().SyncOneToTwo(options);
    ASSERT_EQ(report.failures.size(), 2u);
    EXPECT_EQ(report.failures[0].fileName, "Readme.txt");
    EXPECT_EQ(report.failures[0].reason, "目标位置已有同名的文件，没有覆盖");
    EXPECT_EQ(report.failures[1].fileName, "README.TXT");
    EXPECT_EQ(report.failures[1].reason,
              "这个文件与本次同步的“Readme.txt”是同一个文件（名称只有大小写不同），没有删除");
    EXPECT_EQ(readFile(two + "/README.TXT"), "older text");
    EXPECT_FALSE(exists(two + "/stale.txt"));
}

TEST_F(RunSafety, StaleTemporariesGoOnlyWhereTheRunCopiesAndOnlyRegularFilesOfThePattern)
{
    writeFile(tmp / "outside/.tessarin-Lnk001", "outside");
    writeFile(one + "/d/new.txt", "n", 1600000000);
    writeFile(one + "/d/upd.txt", "u2", 1600000100);
    writeFile(two + "/d/upd.txt", "u1", 1600000000);
    writeFile(two + "/d/.tessarin-Ab12Cd", "half-written");
    writeFile(two + "/d/.tessarin-short", "not ours");
    writeFile(two + "/d/.tessarin-Ab12Cde", "not ours either");
    testsupport::makeDir(two + "/d/.tessarin-Dir000");
    ASSERT_EQ(::symlink((tmp / "outside/.tessarin-Lnk001").c_str(), (two + "/d/.tessarin-Lnk001").c_str()), 0);
    writeFile(two + "/untouched/.tessarin-Qq11Ww", "elsewhere");
    compare();

    executor().SyncOneToTwo(options);
    EXPECT_EQ(readFile(two + "/d/new.txt"), "n");
    EXPECT_EQ(readFile(two + "/d/upd.txt"), "u2");
    EXPECT_EQ(testsupport::namesIn(two + "/d"), (Strings{".tessarin-Ab12Cde", ".tessarin-Dir000", ".tessarin-Lnk001",
                                                         ".tessarin-short", "new.txt", "upd.txt"}));
    EXPECT_EQ(readFile(tmp / "outside/.tessarin-Lnk001"), "outside");
    EXPECT_TRUE(exists(two + "/untouched/.tessarin-Qq11Ww"));
}
