#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "dupfind/DeleteChecked.h"
#include "dupfind/SameFileSearch.h"
#include "messages/DeletionMessages.h"
#include "platform/PosixFileReader.h"
#include "platform/PosixFileSystem.h"
#include "support/FileDigest.h"
#include "support/RecordingProgress.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

using namespace tessarin;
using namespace tessarin::dupfind;
using testsupport::TempDir;
using testsupport::writeFile;
using Strings = std::vector<std::string>;

namespace {

// "执行删除" as the finder runs it: the question, then on Yes the deletion
// and its message. Whether the user said Yes.
bool deleteAsTheFinder(FoundFiles& rows, platform::FileSystem& fileSystem, core::Prompt& prompt)
{
    if (!messages::askToDelete(prompt))
        return false;
    messages::tellDeletionReport(deleteCheckedFiles(rows, fileSystem), prompt);
    return true;
}

class HookedProgress : public testsupport::RecordingProgress {
public:
    std::function<void()> onEvents;
    void processEvents() override
    {
        RecordingProgress::processEvents();
        if (onEvents)
            onEvents();
    }
};

class FakeView : public SearchView {
public:
    bool option = false;
    std::vector<bool> shown; // every showRunning call
    int optionReads = 0;
    void showRunning(bool running) override { shown.push_back(running); }
    bool sameExtensionOnly() override
    {
        ++optionReads;
        return option;
    }
};

// Reads through the POSIX service but refuses the paths named, as a file
// without read permission would be refused (the tests run as root).
class RefusingReader : public platform::PosixFileReader {
public:
    std::set<std::string> refused;
    std::unique_ptr<platform::InputFile> openForReading(const std::string& path) override
    {
        return refused.count(path) ? nullptr : PosixFileReader::openForReading(path);
    }
};

// Reports the directories named as lying on another file system.
class MountingFileSystem : public platform::PosixFileSystem {
public:
    std::set<std::string> otherDevice; // names of subdirectories
    platform::Result<platform::DirectoryContents> readDirectory(const std::string& directory, bool wantDirectories,
                                                                std::string_view mask) override
    {
        auto read = PosixFileSystem::readDirectory(directory, wantDirectories, mask);
        if (read)
            for (platform::DirEntry& d : read->directories)
                if (otherDevice.count(d.name))
                    d.id.device += 1000;
        return read;
    }
};

// Deletes through the POSIX service, but fails on the paths named.
class RecordingRemover : public platform::PosixFileSystem {
public:
    std::set<std::string> failing;
    Strings removed;
    platform::FsResult deleteFile(const platform::TreePath& path) override
    {
        if (failing.count(path.full()))
            return {"Permission denied"};
        removed.push_back(path.full());
        return PosixFileSystem::deleteFile(path);
    }
};

struct Search : ::testing::Test {
    TempDir tmp;
    MountingFileSystem fs;
    RefusingReader reader;
    HookedProgress progress;
    testsupport::ScriptedPrompt prompt;
    FakeView view;
    SameFileSearch search{fs, reader, progress, prompt, view};

    Search() { search.setProgressInterval(0); }

    std::string root() const { return tmp / "r/"; }
    bool run(const std::string& chosen) { return search.Search(chosen, {root()}); }
    Strings found() const
    {
        Strings paths;
        for (const FoundFile& f : search.results())
            paths.push_back(f.path());
        return paths;
    }
};

} // namespace

TEST_F(Search, FindsCopiesSubtreesFirstAndSkipsOtherContent)
{
    writeFile(tmp / "chosen.bin", "content");
    writeFile(tmp / "r/b.bin", "content");
    writeFile(tmp / "r/a.bin", "content");
    writeFile(tmp / "r/other.bin", "CONTENT");
    writeFile(tmp / "r/longer.bin", "content and more");
    writeFile(tmp / "r/sub/deep/c.bin", "content");
    writeFile(tmp / "r/sub/d.bin", "content");
    ASSERT_TRUE(run(tmp / "chosen.bin"));
    EXPECT_EQ(found(), (Strings{tmp / "r/sub/deep/c.bin", tmp / "r/sub/d.bin", tmp / "r/a.bin", tmp / "r/b.bin"}));
    EXPECT_EQ(search.results()[0].name, "c.bin");
    EXPECT_EQ(search.results()[0].directory, tmp / "r/sub/deep/");
    EXPECT_EQ(search.ChosenDigest, "9a0364b9e99bb480dd25e1f0284c8555");
    EXPECT_EQ(view.shown, (std::vector<bool>{true, false}));
}

TEST_F(Search, StatusTextsFromStartToEnd)
{
    writeFile(tmp / "chosen.bin", "x");
    writeFile(tmp / "r/sub/f.bin", "y");
    writeFile(tmp / "r/g.bin", "z");
    ASSERT_TRUE(run(tmp / "chosen.bin"));
    EXPECT_EQ(progress.statuses,
              (Strings{"启动搜索...", "正在搜索 " + tmp / "r/sub/", "正在搜索 " + tmp / "r/sub/f.bin",
                       "正在搜索 " + tmp / "r/g.bin", "搜索完毕。"}));
    EXPECT_EQ(progress.eventPasses, 3); // after every entry
}

TEST_F(Search, RangeEntryZeroSearchesEveryDriveInOrderAnyOtherOnlyItsDrive)
{
    writeFile(tmp / "chosen.bin", "data");
    writeFile(tmp / "d1/copy1", "data");
    writeFile(tmp / "d2/copy2", "data");
    const Strings entries = {"全部磁盘驱动器", tmp / "d2/", tmp / "d1/"};
    search.Button2Click(tmp / "chosen.bin", 0, entries);
    EXPECT_EQ(found(), (Strings{tmp / "d2/copy2", tmp / "d1/copy1"}));
    search.Button2Click(tmp / "chosen.bin", 2, entries);
    EXPECT_EQ(found(), (Strings{tmp / "d1/copy1"}));

    // An empty file box or no selected range starts nothing and says nothing.
    search.Button2Click("", 1, entries);
    search.Button2Click(tmp / "chosen.bin", -1, entries);
    EXPECT_EQ(found(), (Strings{tmp / "d1/copy1"}));
    EXPECT_TRUE(prompt.shown.empty());
}

TEST(ExtensionMask, BuiltFromTheLastFullStopOfTheWholePath)
{
    EXPECT_EQ(extensionMaskFor("/d/docs/a.b.txt"), "*.txt");
    EXPECT_EQ(extensionMaskFor("/d/a/b.TXT"), "*.TXT");
    EXPECT_EQ(extensionMaskFor("/d/docs/readme"), "*.*");
    EXPECT_EQ(extensionMaskFor("/d/a.dir/readme"), "*.dir/readme");
}

TEST_F(Search, SameExtensionOptionFiltersFilesOnlyIgnoringCase)
{
    writeFile(tmp / "chosen.TXT", "same");
    writeFile(tmp / "r/sub/a.txt", "same");
    writeFile(tmp / "r/sub/b.Txt", "same");
    writeFile(tmp / "r/sub/c.bin", "same");
    writeFile(tmp / "r/d.text", "same");
    view.option = true;
    ASSERT_TRUE(run(tmp / "chosen.TXT"));
    EXPECT_EQ(search.ExtensionMask, "*.TXT");
    EXPECT_EQ(found(), (Strings{tmp / "r/sub/a.txt", tmp / "r/sub/b.Txt"}));
    EXPECT_EQ(view.optionReads, 2); // read anew for every directory

    view.option = false;
    ASSERT_TRUE(run(tmp / "chosen.TXT"));
    EXPECT_EQ(found().size(), 4u);
}

TEST_F(Search, FullStopOnlyInADirectoryNameComparesNoFileButWalksEveryDirectory)
{
    writeFile(tmp / "a.dir/readme", "text");
    writeFile(tmp / "r/sub/readme", "text");
    writeFile(tmp / "r/copy", "text");
    view.option = true;
    ASSERT_TRUE(run(tmp / "a.dir/readme"));
    EXPECT_TRUE(found().empty());
    EXPECT_NE(std::find(progress.statuses.begin(), progress.statuses.end(), "正在搜索 " + tmp / "r/sub/"),
              progress.statuses.end());
    view.option = false;
    ASSERT_TRUE(run(tmp / "a.dir/readme"));
    EXPECT_EQ(found(), (Strings{tmp / "r/sub/readme", tmp / "r/copy"}));
}

TEST_F(Search, HiddenFilesAreComparedHiddenDirectoriesNotEntered)
{
    writeFile(tmp / "chosen", "secret");
    writeFile(tmp / "r/.hidden-copy", "secret");
    writeFile(tmp / "r/.cache/copy", "secret");
    ASSERT_TRUE(run(tmp / "chosen"));
    EXPECT_EQ(found(), (Strings{tmp / "r/.hidden-copy"}));
}

TEST_F(Search, StopKeepsTheRowsFoundAndAStartWhileUnwindingIsIgnored)
{
    writeFile(tmp / "chosen", "x");
    writeFile(tmp / "r/a/copy", "x");
    writeFile(tmp / "r/b/copy", "x");
    writeFile(tmp / "r/c/copy", "x");
    const Strings entries = {"全部磁盘驱动器", root()};
    int passes = 0;
    progress.onEvents = [&] {
        if (++passes == 2) {                                 // after the file in a/
            search.Button2Click(tmp / "chosen", 1, entries); // the stop click
            EXPECT_TRUE(search.stopRequested());
            EXPECT_EQ(view.shown.back(), false);             // "开始搜索" at once
            search.Button2Click(tmp / "chosen", 1, entries); // a start click: ignored
        }
    };
    search.Button2Click(tmp / "chosen", 1, entries);
    EXPECT_EQ(found(), (Strings{tmp / "r/a/copy"}));
    EXPECT_EQ(progress.statuses.back(), "搜索完毕。");
    EXPECT_EQ(std::count(progress.statuses.begin(), progress.statuses.end(), "启动搜索..."), 1);
    EXPECT_FALSE(search.running());

    // The next search starts afresh.
    progress.onEvents = nullptr;
    search.Button2Click(tmp / "chosen", 1, entries);
    EXPECT_EQ(found().size(), 3u);
}

TEST_F(Search, UnreadableChosenFileStartsNoSearchAndSaysSo)
{
    writeFile(tmp / "chosen", "x");
    writeFile(tmp / "r/copy", "x");
    writeFile(tmp / "r/empty", "");
    ASSERT_TRUE(run(tmp / "chosen"));
    testsupport::makeDir(tmp / "dir");
    reader.refused.insert(tmp / "locked");
    writeFile(tmp / "locked", "");
    for (const char* name : {"missing", "dir", "locked"}) {
        prompt.shown.clear();
        EXPECT_FALSE(run(tmp / name)) << name;
        ASSERT_EQ(prompt.shown.size(), 1u) << name;
        EXPECT_EQ(prompt.shown[0].caption, "提示");
        EXPECT_EQ(progress.statuses.back(), "准备就绪。");
        EXPECT_EQ(found(), (Strings{tmp / "r/copy"})); // the last results stay
        EXPECT_FALSE(search.running());
        EXPECT_EQ(view.shown.back(), false);
    }
}

TEST_F(Search, UnreadableCandidatesAreNeverCopiesEmptyFilesAreCopiesOfAnEmptyFile)
{
    writeFile(tmp / "chosen", "");
    writeFile(tmp / "r/empty1", "");
    writeFile(tmp / "r/empty2", "");
    writeFile(tmp / "r/locked-empty", "");
    writeFile(tmp / "r/full", "x");
    ASSERT_EQ(::mkfifo((tmp / "r/fifo").c_str(), 0600), 0); // never opened: it would block
    reader.refused.insert(tmp / "r/locked-empty");
    ASSERT_TRUE(run(tmp / "chosen"));
    EXPECT_EQ(found(), (Strings{tmp / "r/empty1", tmp / "r/empty2"}));

    writeFile(tmp / "chosen", "x");
    writeFile(tmp / "r/locked-x", "x");
    reader.refused.insert(tmp / "r/locked-x");
    ASSERT_TRUE(run(tmp / "chosen"));
    EXPECT_EQ(found(), (Strings{tmp / "r/full"}));
}

TEST_F(Search, TheChosenFileIsNeverItsOwnCopyUnderAnyName)
{
    writeFile(tmp / "r/chosen.bin", "payload");
    writeFile(tmp / "r/sub/copy.bin", "payload");
    ASSERT_EQ(::link((tmp / "r/chosen.bin").c_str(), (tmp / "r/hardlink.bin").c_str()), 0);
    ASSERT_EQ(::symlink((tmp / "r/chosen.bin").c_str(), (tmp / "r/symlink.bin").c_str()), 0);
    for (const std::string& typed :
         {tmp / "r/chosen.bin", tmp / "r/./chosen.bin", tmp / "r//sub/../chosen.bin", tmp / "r/symlink.bin"}) {
        ASSERT_TRUE(run(typed)) << typed;
        EXPECT_EQ(found(), (Strings{tmp / "r/sub/copy.bin"})) << typed;
    }

    // Select all, then delete: the chosen file stays.
    checkAll(search.results());
    prompt.answers = {tessarin::core::Answer::Yes};
    EXPECT_TRUE(deleteAsTheFinder(search.results(), fs, prompt));
    EXPECT_TRUE(testsupport::exists(tmp / "r/chosen.bin"));
    EXPECT_EQ(testsupport::readFile(tmp / "r/chosen.bin"), "payload");
    EXPECT_FALSE(testsupport::exists(tmp / "r/sub/copy.bin"));
}

TEST_F(Search, ADigestMatchWithOtherBytesIsNotACopy)
{
    // Two different 128-byte blocks with one MD5 digest (a published collision).
    const auto bytes = [](const char* hex) {
        std::string s;
        for (std::size_t i = 0; hex[i] && hex[i + 1]; i += 2)
            s += static_cast<char>(std::stoi(std::string(hex + i, 2), nullptr, 16));
        return s;
    };
    const std::string a = bytes("d131dd02c5e6eec4693d9a0698aff95c2fcab58712467eab4004583eb8fb7f8955ad340609f4b30283e488"
                                "832571415a085125e8f7cdc99f"
                                "d91dbdf280373c5bd8823e3156348f5bae6dacd436c919c6dd53e2b487da03fd02396306d248cda0e99f33"
                                "420f577ee8ce54b67080a80d1ec6"
                                "9821bcb6a8839396f9652b6ff72a70");
    const std::string b = bytes("d131dd02c5e6eec4693d9a0698aff95c2fcab50712467eab4004583eb8fb7f8955ad340609f4b30283e488"
                                "8325f1415a085125e8f7cdc99f"
                                "d91dbd7280373c5bd8823e3156348f5bae6dacd436c919c6dd53e23487da03fd02396306d248cda0e99f33"
                                "420f577ee8ce54b67080280d1ec6"
                                "9821bcb6a8839396f965ab6ff72a70");
    ASSERT_NE(a, b);
    writeFile(tmp / "chosen", a);
    writeFile(tmp / "r/collision", b);
    writeFile(tmp / "r/copy", a);
    ASSERT_TRUE(run(tmp / "chosen"));
    EXPECT_EQ(testsupport::FileDigestHex(tmp / "r/collision"), search.ChosenDigest);
    EXPECT_EQ(found(), (Strings{tmp / "r/copy"}));
}

// The user's own link is followed; another user's is not (run by root, the
// search would offer root's files there for deletion).
TEST_F(Search, LinksBackUpTheTreeOtherUsersLinksAndOtherFileSystemsAreNotEntered)
{
    writeFile(tmp / "chosen", "z");
    writeFile(tmp / "r/sub/copy", "z");
    writeFile(tmp / "r/mnt/copy", "z");
    writeFile(tmp / "elsewhere/copy", "z");
    writeFile(tmp / "private/copy", "z");
    ASSERT_EQ(::symlink((tmp / "r").c_str(), (tmp / "r/sub/loop").c_str()), 0);
    ASSERT_EQ(::symlink((tmp / "elsewhere").c_str(), (tmp / "r/link").c_str()), 0);
    ASSERT_EQ(::symlink((tmp / "private").c_str(), (tmp / "r/others").c_str()), 0);
    ASSERT_EQ(::lchown((tmp / "r/others").c_str(), 65534, 65534), 0);
    fs.otherDevice.insert("mnt");
    ASSERT_TRUE(run(tmp / "chosen"));
    EXPECT_EQ(found(), (Strings{tmp / "r/link/copy", tmp / "r/sub/copy"}));
}

namespace {

struct Deleting : ::testing::Test {
    TempDir tmp;
    testsupport::ScriptedPrompt prompt;
    RecordingRemover remover;
    FoundFiles rows;

    void addRow(const std::string& name, bool checked)
    {
        writeFile(tmp / name, "x");
        rows.push_back({name, tmp.path() + "/", checked});
    }
    Strings names() const
    {
        Strings n;
        for (const FoundFile& r : rows)
            n.push_back(r.name + (r.checked ? "+" : ""));
        return n;
    }
};

} // namespace

TEST_F(Deleting, NoOrCancelDeletesNothingAndShowsNothingMore)
{
    addRow("a", true);
    for (const tessarin::core::Answer answer : {tessarin::core::Answer::No, tessarin::core::Answer::Cancel}) {
        prompt.shown.clear();
        prompt.answers = {answer};
        EXPECT_FALSE(deleteAsTheFinder(rows, remover, prompt));
        ASSERT_EQ(prompt.shown.size(), 1u);
        EXPECT_EQ(prompt.shown[0].text, "确实要彻底删除选中的文件吗？");
        EXPECT_EQ(prompt.shown[0].caption, "删除确认");
        EXPECT_TRUE(remover.removed.empty());
    }
    prompt.answers.clear(); // the default answer is No
    EXPECT_FALSE(deleteAsTheFinder(rows, remover, prompt));
    EXPECT_TRUE(testsupport::exists(tmp / "a"));
}

TEST_F(Deleting, ConsecutiveCheckedRowsAndTheLastRowAreAllDeleted)
{
    addRow("a", false);
    addRow("b", true);
    addRow("c", true);
    addRow("d", false);
    addRow("e", true);
    prompt.answers = {tessarin::core::Answer::Yes};
    EXPECT_TRUE(deleteAsTheFinder(rows, remover, prompt));
    EXPECT_EQ(names(), (Strings{"a", "d"}));
    EXPECT_EQ(remover.removed, (Strings{tmp / "b", tmp / "c", tmp / "e"}));
    EXPECT_FALSE(testsupport::exists(tmp / "c"));
    ASSERT_EQ(prompt.shown.size(), 2u);
    EXPECT_EQ(prompt.shown[1].text, "已经成功删除了选中的文件！");
    EXPECT_EQ(prompt.shown[1].caption, "信息");
}

TEST_F(Deleting, AFailedRowStaysCheckedTheWalkGoesOnAndTheFailureIsReported)
{
    addRow("a", true);
    addRow("b", true);
    addRow("c", true);
    rows.push_back({"gone", tmp.path() + "/", true}); // already deleted by someone else
    remover.failing.insert(tmp / "b");
    prompt.answers = {tessarin::core::Answer::Yes};
    EXPECT_TRUE(deleteAsTheFinder(rows, remover, prompt));
    EXPECT_EQ(names(), (Strings{"b+", "gone+"}));
    EXPECT_FALSE(testsupport::exists(tmp / "c"));
    ASSERT_EQ(prompt.shown.size(), 2u);
    EXPECT_NE(prompt.shown[1].text, "已经成功删除了选中的文件！");
    EXPECT_NE(prompt.shown[1].text.find(tmp / "b" + "：Permission denied"), std::string::npos);
    EXPECT_NE(prompt.shown[1].text.find(tmp / "gone"), std::string::npos);
}

TEST_F(Deleting, ManyFailuresAreCountedBeyondTwentyAndAllAreInTheDetails)
{
    std::string all;
    for (int i = 10; i < 35; ++i) {
        addRow("f" + std::to_string(i), true);
        remover.failing.insert(tmp / ("f" + std::to_string(i)));
        all += (i > 10 ? "\n" : "") + tmp / ("f" + std::to_string(i)) + "：Permission denied";
    }
    prompt.answers = {tessarin::core::Answer::Yes};
    EXPECT_TRUE(deleteAsTheFinder(rows, remover, prompt));
    ASSERT_EQ(prompt.shown.size(), 2u);
    const std::string& text = prompt.shown[1].text;
    EXPECT_EQ(text.rfind("下列文件未能删除：\n" + tmp / "f10" + "：Permission denied\n", 0), 0u) << text;
    EXPECT_NE(text.find(tmp / "f29"), std::string::npos);
    EXPECT_EQ(text.find(tmp / "f30"), std::string::npos);
    EXPECT_NE(text.find("\n……另有5个失败未列出。"), std::string::npos) << text;
    EXPECT_EQ(prompt.shown[1].details, all);
}

TEST_F(Search, AFileReachedByManyPathsIsListedOnceAndDeletedWithoutFalseFailures)
{
    // As on a system where /lib links to usr/lib and /etc/os-release to the
    // file there, with a hard link besides.
    writeFile(tmp / "chosen", "release");
    writeFile(tmp / "r/usr/lib/os-release", "release");
    writeFile(tmp / "r/usr/other-copy", "release");
    ASSERT_EQ(::symlink("usr/lib", (tmp / "r/lib").c_str()), 0);
    testsupport::makeParents(tmp / "r/etc/x");
    ASSERT_EQ(::symlink("../usr/lib/os-release", (tmp / "r/etc/os-release").c_str()), 0);
    ASSERT_EQ(::link((tmp / "r/usr/lib/os-release").c_str(), (tmp / "r/hard").c_str()), 0);
    ASSERT_TRUE(run(tmp / "chosen"));
    // The tree behind r/lib is searched once, through the first path that
    // reaches it; the link in r/etc names no copy of its own.
    EXPECT_EQ(found(), (Strings{tmp / "r/lib/os-release", tmp / "r/usr/other-copy"}));

    checkAll(search.results());
    prompt.answers = {tessarin::core::Answer::Yes};
    EXPECT_TRUE(deleteAsTheFinder(search.results(), fs, prompt));
    EXPECT_TRUE(search.results().empty());
    ASSERT_EQ(prompt.shown.size(), 2u);
    EXPECT_EQ(prompt.shown[1].text, "已经成功删除了选中的文件！");
}

TEST_F(Search, LinksIntoProcAndSysAreNotEnteredAndARootOnThemIsNotSearched)
{
    // An empty chosen file: every empty-looking file of /proc would match.
    writeFile(tmp / "chosen", "");
    writeFile(tmp / "r/empty", "");
    ASSERT_EQ(::symlink("/proc/self/", (tmp / "r/proc").c_str()), 0);
    ASSERT_EQ(::symlink("/sys/class", (tmp / "r/sys").c_str()), 0);
    ASSERT_TRUE(run(tmp / "chosen"));
    EXPECT_EQ(found(), (Strings{tmp / "r/empty"}));

    ASSERT_TRUE(search.Search(tmp / "chosen", {tmp / "r/proc/", tmp / "r/sys/", "/proc/", "/sys/"}));
    EXPECT_TRUE(found().empty());
}

namespace {

// Reads through the POSIX service, but the paths named stream without end
// past the size they report, as files of /proc do.
class StreamingReader : public platform::PosixFileReader {
public:
    std::set<std::string> streaming;
    std::unique_ptr<platform::InputFile> openForReading(const std::string& path) override
    {
        auto file = PosixFileReader::openForReading(path);
        if (!file || !streaming.count(path))
            return file;
        return std::make_unique<Endless>(file->id(), file->size());
    }

private:
    struct Endless : platform::InputFile {
        Endless(platform::FileId i, std::uint64_t s) : id_(i), size_(s) {}
        std::int64_t read(std::uint8_t* buffer, std::size_t size) override
        {
            std::memset(buffer, 'a', size);
            return static_cast<std::int64_t>(size);
        }
        platform::FileId id() const override { return id_; }
        std::uint64_t size() const override { return size_; }
        platform::FileId id_;
        std::uint64_t size_;
    };
};

} // namespace

TEST(SearchBounds, ACandidateThatReadsPastItsSizeIsNoCopyAndTheSearchEnds)
{
    TempDir tmp;
    writeFile(tmp / "chosen", "aaaa");
    writeFile(tmp / "r/streams", "aaaa");
    writeFile(tmp / "r/copy", "aaaa");
    platform::PosixFileSystem fs;
    StreamingReader reader;
    reader.streaming.insert(tmp / "r/streams");
    testsupport::RecordingProgress progress;
    testsupport::ScriptedPrompt prompt;
    FakeView view;
    SameFileSearch search(fs, reader, progress, prompt, view);
    ASSERT_TRUE(search.Search(tmp / "chosen", {tmp / "r/"}));
    ASSERT_EQ(search.results().size(), 1u);
    EXPECT_EQ(search.results()[0].path(), tmp / "r/copy");

    // A chosen file that streams past its size has no content to look for.
    reader.streaming.insert(tmp / "chosen");
    EXPECT_FALSE(search.Search(tmp / "chosen", {tmp / "r/"}));
}
