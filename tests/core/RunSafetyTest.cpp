// What a command guarantees around its rows: files it wrote are never deleted
// in the same run, what it wrote is flushed before the completion message,
// and stale temporary files of a killed run go where it writes, and only
// those.
#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

#include "ExecutorFixture.h"
#include "platform/PathOpen.h"
#include "platform/TemporaryFile.h"

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
    platform::FsResult copyFile(const platform::TreePath& source, const platform::TreePath& target,
                                const platform::TargetExpectation& expected) override
    {
        platform::TreePath folded = target;
        if (folded.relative.text() == "Readme.txt")
            folded.relative = platform::RelativePath::fromText("README.TXT");
        return PosixFileSystem::copyFile(source, folded, expected);
    }
};

// Another run copies into each directory this one clears, from after this
// command started: its temporary and an earlier version's empty one are
// newer than the command.
class ConcurrentRun : public platform::PosixFileSystem {
public:
    std::vector<platform::TemporaryFile> copies;
    void removeStaleTemporaries(const platform::TreePath& directory, platform::FileTime commandStart) override
    {
        copies.push_back(platform::TemporaryFile::create(
            platform::openPath(directory.full(), O_PATH | O_DIRECTORY | O_CLOEXEC), O_WRONLY, 0600));
        writeFile(directory.full() + "/.tessarin-Nw01Nw", "");
        PosixFileSystem::removeStaleTemporaries(directory, commandStart);
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
    EXPECT_EQ(failureWord(failed.failures[0]), "写入"); // not posing as an update
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
    ASSERT_EQ(rows(SyncSide::One), (Strings{"新建 Readme.txt", "删除 README.TXT", "删除 stale.txt"}));

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
    const std::string stale = ".tessarin-tmp.0k7qz3m1x9c2v8b4n6h5j0ra";
    writeFile(tmp / "outside/.tessarin-tmp.llllllllllllllllllllllll", "outside");
    writeFile(one + "/d/new.txt", "n", 1600000000);
    writeFile(one + "/d/upd.txt", "u2", 1600000100);
    writeFile(one + "/d/.tessarin-backup", "a user's backup", 1600000000);
    writeFile(two + "/d/upd.txt", "u1", 1600000000);
    writeFile(two + "/d/" + stale, "half-written");
    // An earlier version's temporaries were ".tessarin-" and six letters or
    // digits: only an empty one is taken for a leftover, the rest is a user's.
    writeFile(two + "/d/.tessarin-Ab12Cd", "");
    writeFile(two + "/d/.tessarin-abc123", "a user's notes");
    writeFile(two + "/d/.tessarin-config", "a user's settings");
    writeFile(two + "/d/.tessarin-tmp.0k7qz3m1x9c2v8b4n6h5j0r", "not ours");
    testsupport::makeDir(two + "/d/.tessarin-tmp.dddddddddddddddddddddddd");
    ASSERT_EQ(::symlink((tmp / "outside/.tessarin-tmp.llllllllllllllllllllllll").c_str(),
                        (two + "/d/.tessarin-tmp.llllllllllllllllllllllll").c_str()),
              0);
    writeFile(two + "/untouched/" + stale, "elsewhere");
    testsupport::waitPastChangeOf(two + "/d/.tessarin-Ab12Cd");
    ConcurrentRun concurrent;
    fs = &concurrent;
    compare();
    EXPECT_EQ(rows(SyncSide::One), (Strings{"新建 d/.tessarin-backup", "新建 d/new.txt", "更新 d/upd.txt",
                                            "删除 d/.tessarin-Ab12Cd", "删除 d/.tessarin-abc123",
                                            "删除 d/.tessarin-config", "删除 d/.tessarin-tmp.0k7qz3m1x9c2v8b4n6h5j0r"}))
        << "every name but the copy's own is listed";

    executor().SyncOneToTwo(options);
    EXPECT_EQ(readFile(two + "/d/new.txt"), "n");
    EXPECT_EQ(readFile(two + "/d/upd.txt"), "u2");
    EXPECT_EQ(readFile(two + "/d/.tessarin-backup"), "a user's backup");
    ASSERT_EQ(concurrent.copies.size(), 1u) << "one directory cleared";
    ASSERT_TRUE(concurrent.copies[0].created());
    Strings kept = {".tessarin-Nw01Nw",
                    ".tessarin-abc123",
                    ".tessarin-backup",
                    ".tessarin-config",
                    ".tessarin-tmp.0k7qz3m1x9c2v8b4n6h5j0r",
                    ".tessarin-tmp.dddddddddddddddddddddddd",
                    ".tessarin-tmp.llllllllllllllllllllllll",
                    concurrent.copies[0].name(),
                    "new.txt",
                    "upd.txt"};
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(testsupport::namesIn(two + "/d"), kept);
    EXPECT_EQ(readFile(tmp / "outside/.tessarin-tmp.llllllllllllllllllllllll"), "outside");
    EXPECT_TRUE(exists(two + "/untouched/" + stale));
}
