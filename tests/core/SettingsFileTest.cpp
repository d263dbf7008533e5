#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/Error.h"
#include "platform/FileSystem.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsPath.h"
#include "support/AsUser.h"
#include "support/TempDir.h"

using namespace tessarin;
using settings::DirectoryHistories;
using settings::SettingsFile;
using testsupport::exists;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;
using Strings = std::vector<std::string>;

namespace {

// A file store whose directory can refuse new files, whose file can refuse
// writes, and whose disk can fill up after a number of writes.
class RefusingStore : public settings::FileStore {
public:
    bool refuseNewFiles = false;
    bool refuseFileWrites = false;
    int writesBeforeDiskFull = -1; // -1: never full

protected:
    platform::TemporaryFile createTemporaryBeside(const std::string& target) override
    {
        if (refuseNewFiles) {
            errno = EACCES;
            return {};
        }
        return FileStore::createTemporaryBeside(target);
    }
    platform::Fd openInPlace(const std::string& path) override
    {
        if (refuseFileWrites) {
            errno = EACCES;
            return {};
        }
        return FileStore::openInPlace(path);
    }
    bool writeAll(int fd, std::string_view text) override
    {
        if (writesBeforeDiskFull == 0) {
            errno = ENOSPC;
            return false;
        }
        if (writesBeforeDiskFull > 0)
            --writesBeforeDiskFull;
        return FileStore::writeAll(fd, text);
    }
};

Strings namesIn(const std::string& directory)
{
    Strings names;
    DIR* dir = ::opendir(directory.c_str());
    while (const dirent* entry = ::readdir(dir))
        if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
            names.push_back(entry->d_name);
    ::closedir(dir);
    return names;
}

struct Settings : ::testing::Test {
    TempDir tmp;
    std::string path = tmp / "settings.ini";
    RefusingStore store;
    SettingsFile file{path, store};

    std::string errorOf(const std::function<void()>& save)
    {
        try {
            save();
        } catch (const tessarin::core::Error& e) {
            return e.what();
        }
        return "no error";
    }
};

} // namespace

TEST_F(Settings, NoFileGivesTheDefaultsAndEmptyHistoriesAndAnEmptyCloseCreatesNoFile)
{
    const settings::StoredSettings loaded = file.load();
    EXPECT_FALSE(loaded.options.deleteOldFile);
    EXPECT_TRUE(loaded.options.syncAttributes);
    EXPECT_TRUE(loaded.options.syncSubFolder);
    EXPECT_TRUE(loaded.histories.dirs1.empty());
    EXPECT_TRUE(loaded.histories.dirs2.empty());
    file.saveHistories({});
    EXPECT_FALSE(exists(path));
}

TEST_F(Settings, OptionValuesAreIntegersAndOthersGiveTheDefault)
{
    writeFile(path, "[settings]\ndeleteoldfile=yes\nSnycAttributes=0x0\nSyncSubFolder=$10\n");
    sync::SyncOptions o = file.load().options;
    EXPECT_FALSE(o.deleteOldFile);
    EXPECT_FALSE(o.syncAttributes);
    EXPECT_TRUE(o.syncSubFolder);

    writeFile(path, "[Settings]\nDeleteOldFile=2\nSyncAttributes=0\nSyncSubFolder=0\n");
    o = file.load().options;
    EXPECT_TRUE(o.deleteOldFile);
    EXPECT_TRUE(o.syncAttributes) << "\"Sync\" in place of \"Snyc\" is not the option";
    EXPECT_FALSE(o.syncSubFolder);
}

TEST_F(Settings, SavingOptionsWritesTheThreeKeysInOrderAndKeepsTheRest)
{
    file.saveOptions({.deleteOldFile = true, .syncAttributes = false, .syncSubFolder = true});
    EXPECT_EQ(readFile(path), "[Settings]\nDeleteOldFile=1\nSnycAttributes=0\nSyncSubFolder=1\n");

    writeFile(path, "[Dirs1]\n1=/a\n[Settings]\n; hand note\nSyncSubFolder=1\nOther=x\n");
    file.saveOptions({});
    EXPECT_EQ(readFile(path),
              "[Dirs1]\n1=/a\n[Settings]\n; hand note\nSyncSubFolder=1\nOther=x\nDeleteOldFile=0\nSnycAttributes=1\n");
    const sync::SyncOptions o = file.load().options;
    EXPECT_FALSE(o.deleteOldFile);
    EXPECT_TRUE(o.syncAttributes);
    EXPECT_TRUE(o.syncSubFolder);
}

TEST_F(Settings, HistoryGapsCloseUpAndTheNextSaveLeavesNoStaleKey)
{
    writeFile(path, "[Dirs1]\n1=/one\n3=/three\n7=/seven\n2=\n[Dirs2]\n10=/ten\n11=/eleven\n");
    DirectoryHistories h = file.load().histories;
    EXPECT_EQ(h.dirs1, (Strings{"/one", "/three", "/seven"}));
    EXPECT_EQ(h.dirs2, (Strings{"/ten"})) << "keys above 10 are not read";

    file.saveHistories(h);
    // Keys are replaced where they stand; "7" is gone.
    EXPECT_EQ(readFile(path), "[Dirs1]\n1=/one\n3=/seven\n2=/three\n[Dirs2]\n11=/eleven\n1=/ten\n");
    EXPECT_EQ(file.load().histories.dirs1, (Strings{"/one", "/three", "/seven"}));
}

TEST_F(Settings, OnlyTheFirstTenEntriesAreSavedAndEmptyOnesAreSkippedAtLoad)
{
    DirectoryHistories h;
    for (int i = 1; i <= 12; ++i)
        h.dirs1.push_back("/d" + std::to_string(i));
    h.dirs2 = {"/x", "", "/目录二 "};
    file.saveHistories(h);
    const DirectoryHistories loaded = file.load().histories;
    EXPECT_EQ(loaded.dirs1, Strings(h.dirs1.begin(), h.dirs1.begin() + 10));
    EXPECT_EQ(loaded.dirs2, (Strings{"/x", "/目录二 "}));
    EXPECT_NE(readFile(path).find("[Dirs2]\n1=/x\n2=\n3="), std::string::npos);
}

TEST_F(Settings, APathWithALineBreakIsSavedEmptyAndCannotForgeKeys)
{
    file.saveHistories({.dirs1 = {"/a\n[Settings]\nDeleteOldFile=1", "/b"}, .dirs2 = {}});
    const settings::StoredSettings loaded = file.load();
    EXPECT_FALSE(loaded.options.deleteOldFile);
    EXPECT_EQ(loaded.histories.dirs1, (Strings{"/b"}));
}

TEST_F(Settings, AFileIsReplacedThroughATemporaryFileThatKeepsItsPermissions)
{
    writeFile(path, "[Settings]\nDeleteOldFile=0\n");
    ::chmod(path.c_str(), 0640);
    const ino_t before = testsupport::statOf(path).st_ino;
    file.saveOptions({.deleteOldFile = true});
    EXPECT_NE(testsupport::statOf(path).st_ino, before);
    EXPECT_EQ(testsupport::statOf(path).st_mode & 07777, 0640u);
    EXPECT_EQ(namesIn(tmp.path()), (Strings{"settings.ini"}));

    // Saving what the file already holds writes nothing, even where nothing could be written.
    const ino_t saved = testsupport::statOf(path).st_ino;
    store.refuseNewFiles = store.refuseFileWrites = true;
    file.saveOptions({.deleteOldFile = true});
    EXPECT_EQ(testsupport::statOf(path).st_ino, saved);
}

TEST_F(Settings, AFullDiskLeavesTheFileAsItWasAndNoTemporaryFileBehind)
{
    const std::string before = "[Settings]\nDeleteOldFile=0\n[Dirs1]\n1=/keep\n";
    writeFile(path, before);
    store.writesBeforeDiskFull = 0;
    EXPECT_EQ(errorOf([&] { file.saveOptions({.deleteOldFile = true}); }), "Unable to write to " + path);
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(namesIn(tmp.path()), (Strings{"settings.ini"}));
}

TEST_F(Settings, AFailingKeyStopsTheSaveAndTheKeysBeforeItStayWritten)
{
    store.writesBeforeDiskFull = 1;
    EXPECT_EQ(errorOf([&] { file.saveOptions({.deleteOldFile = true}); }), "Unable to write to " + path);
    EXPECT_EQ(readFile(path), "[Settings]\nDeleteOldFile=1\n");

    store.writesBeforeDiskFull = 2;
    EXPECT_EQ(errorOf([&] {
                  file.saveHistories({.dirs1 = {"/a", "/b", "/c"}, .dirs2 = {"/z"}});
              }),
              "Unable to write to " + path);
    EXPECT_EQ(file.load().histories.dirs1, (Strings{"/a", "/b"}));
    EXPECT_TRUE(file.load().histories.dirs2.empty());
}

TEST_F(Settings, AReadOnlyDirectoryRewritesAnExistingWritableFileInPlace)
{
    writeFile(path, "[Settings]\nDeleteOldFile=0\n[Dirs1]\n1=/old\n");
    const ino_t before = testsupport::statOf(path).st_ino;
    store.refuseNewFiles = true;
    file.saveOptions({.deleteOldFile = true, .syncAttributes = false, .syncSubFolder = false});
    EXPECT_EQ(readFile(path), "[Settings]\nDeleteOldFile=1\nSnycAttributes=0\nSyncSubFolder=0\n[Dirs1]\n1=/old\n");
    EXPECT_EQ(testsupport::statOf(path).st_ino, before);
    file.saveHistories({}); // shorter text: the rest of the old file is cut off
    EXPECT_EQ(readFile(path), "[Settings]\nDeleteOldFile=1\nSnycAttributes=0\nSyncSubFolder=0\n[Dirs1]\n");
}

TEST_F(Settings, AReadOnlyDirectoryAndFileGiveTheErrorAndLeaveTheEarlierKeys)
{
    const std::string before = "[Settings]\nDeleteOldFile=1\n";
    writeFile(path, before);
    store.refuseNewFiles = true;
    store.refuseFileWrites = true;
    EXPECT_EQ(errorOf([&] { file.saveOptions({}); }), "Unable to write to " + path);
    EXPECT_EQ(errorOf([&] { file.saveHistories({.dirs1 = {"/a"}, .dirs2 = {}}); }), "Unable to write to " + path);
    EXPECT_EQ(readFile(path), before);

    ::unlink(path.c_str());
    store.refuseFileWrites = false;
    EXPECT_EQ(errorOf([&] { file.saveOptions({}); }), "Unable to write to " + path);
    EXPECT_FALSE(exists(path)) << "a directory that takes no new file gets none";
}

namespace {

// A file store that lists the settings file's directory while the new text
// is being written.
class WatchingStore : public settings::FileStore {
public:
    std::string directory;
    Strings seen;

protected:
    bool writeAll(int fd, std::string_view text) override
    {
        seen = namesIn(directory);
        return FileStore::writeAll(fd, text);
    }
};

} // namespace

TEST(SettingsSave, TheNewTextGoesBesideTheFileUnderANameASyncKnowsAsALeftover)
{
    TempDir tmp;
    const std::string path = tmp / "settings.ini";
    writeFile(path, "[Settings]\nDeleteOldFile=0\n");
    WatchingStore store;
    store.directory = tmp.path();
    SettingsFile file{path, store};
    file.saveOptions({.deleteOldFile = true});
    ASSERT_EQ(store.seen.size(), 2u);
    const std::string temporary = store.seen[0] == "settings.ini" ? store.seen[1] : store.seen[0];
    EXPECT_TRUE(platform::isTemporaryName(temporary)) << temporary;
    EXPECT_EQ(namesIn(tmp.path()), (Strings{"settings.ini"}));
    EXPECT_EQ(readFile(path), "[Settings]\nDeleteOldFile=1\nSnycAttributes=1\nSyncSubFolder=1\n");
}

TEST_F(Settings, ALinkedSettingsFileStaysALink)
{
    writeFile(tmp / "shared/real.ini", "[Dirs2]\n1=/x\n");
    ASSERT_EQ(::symlink((tmp / "shared/real.ini").c_str(), path.c_str()), 0);
    file.saveOptions({});
    struct stat st {};
    ASSERT_EQ(::lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(file.load().histories.dirs2, (Strings{"/x"}));
    EXPECT_NE(readFile(tmp / "shared/real.ini").find("SnycAttributes=1"), std::string::npos);
}

// Run by root, a save never writes through another user's link: not to a
// root-only file it points at, not to a file it names that does not exist.
// The user's own broken link makes the file it names.
TEST_F(Settings, OnlyTheUsersOwnLinkIsWrittenThrough)
{
    SettingsFile real(path);
    writeFile(tmp / "private/shadow", "root only");
    ASSERT_EQ(::chmod((tmp / "private/shadow").c_str(), 0600), 0);
    ASSERT_EQ(::symlink((tmp / "private/shadow").c_str(), path.c_str()), 0);
    ASSERT_EQ(::lchown(path.c_str(), testsupport::kNobody, testsupport::kNobody), 0);
    EXPECT_EQ(errorOf([&] { real.saveOptions({}); }), "Unable to write to " + path);
    EXPECT_EQ(readFile(tmp / "private/shadow"), "root only");
    EXPECT_EQ(testsupport::statOf(tmp / "private/shadow").st_mode & 07777, 0600u);

    ASSERT_EQ(::unlink(path.c_str()), 0);
    ASSERT_EQ(::symlink((tmp / "made/settings.ini").c_str(), path.c_str()), 0);
    testsupport::makeDir(tmp / "made");
    ASSERT_EQ(::lchown(path.c_str(), testsupport::kNobody, testsupport::kNobody), 0);
    EXPECT_EQ(errorOf([&] { real.saveOptions({}); }), "Unable to write to " + path);
    EXPECT_EQ(namesIn(tmp / "made"), Strings{});
    EXPECT_EQ(::lchown(path.c_str(), 0, 0), 0);
    EXPECT_EQ(errorOf([&] { real.saveOptions({}); }), "no error");
    EXPECT_NE(readFile(tmp / "made/settings.ini").find("SnycAttributes=1"), std::string::npos);
    struct stat st {};
    ASSERT_EQ(::lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));

    // The user's own link to another user's file is refused as well.
    ASSERT_EQ(::chown((tmp / "made/settings.ini").c_str(), testsupport::kNobody, testsupport::kNobody), 0);
    const std::string before = readFile(tmp / "made/settings.ini");
    EXPECT_EQ(errorOf([&] { real.saveOptions({.deleteOldFile = true}); }), "Unable to write to " + path);
    EXPECT_EQ(readFile(tmp / "made/settings.ini"), before);
}

TEST(SettingsPath, TheFileBesideTheExecutableWhateverTheWorkingDirectory)
{
    TempDir elsewhere;
    char previous[4096];
    ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(::chdir(elsewhere.path().c_str()), 0);
    const std::string found = settings::settingsFilePath();
    ASSERT_EQ(::chdir(previous), 0);
    char expectedDir[4096];
    ASSERT_NE(::realpath(TESSARIN_CORE_TESTS_DIR, expectedDir), nullptr);
    EXPECT_EQ(found, std::string(expectedDir) + "/settings.ini");

    settings::useSettingsFilePath(elsewhere / "chosen.ini");
    EXPECT_EQ(settings::settingsFilePath(), elsewhere / "chosen.ini");
    settings::useSettingsFilePath("");
    EXPECT_EQ(settings::settingsFilePath(), found);
}

TEST(SettingsPath, AProgramInAFolderThatRefusesNewFilesKeepsSettingsPerUser)
{
    const std::string exe = "/usr/local/lib/tessarin/tessarin";
    EXPECT_EQ(settings::settingsFileFor(exe, false, true, "/home/u/.cfg", "/home/u"),
              "/usr/local/lib/tessarin/settings.ini");
    EXPECT_EQ(settings::settingsFileFor(exe, false, false, "/home/u/.cfg", "/home/u"),
              "/home/u/.cfg/tessarin/settings.ini");
    EXPECT_EQ(settings::settingsFileFor(exe, false, false, nullptr, "/home/u"),
              "/home/u/.config/tessarin/settings.ini");
    // A relative or empty XDG_CONFIG_HOME does not count.
    EXPECT_EQ(settings::settingsFileFor(exe, false, false, "cfg", "/home/u"), "/home/u/.config/tessarin/settings.ini");
    EXPECT_EQ(settings::settingsFileFor(exe, false, false, "", "/home/u"), "/home/u/.config/tessarin/settings.ini");
    // With no home at all the file stays beside the program; saving it reports the error.
    EXPECT_EQ(settings::settingsFileFor(exe, false, false, nullptr, nullptr), "/usr/local/lib/tessarin/settings.ini");
    // An installed program keeps settings per user even where it could write
    // beside itself (run by root, it would write into /usr/bin).
    EXPECT_EQ(settings::settingsFileFor("/usr/bin/tessarin", true, true, nullptr, "/root"),
              "/root/.config/tessarin/settings.ini");
}

namespace {

// Runs the action in a child process and says whether it ended within the
// time: an action that blocks for ever must not hang the tests too.
bool endsWithin(int milliseconds, const std::function<void()>& action)
{
    const pid_t child = ::fork();
    if (child == 0) {
        action();
        ::_exit(0);
    }
    for (int waited = 0; waited < milliseconds; waited += 10) {
        int status = 0;
        if (::waitpid(child, &status, WNOHANG) == child)
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        ::usleep(10 * 1000);
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    return false;
}

} // namespace

TEST_F(Settings, AFifoDirectoryDeviceOrLinkLoopInThePlaceOfTheFileReadsAsMissingAndIsNeverWritten)
{
    const auto makeFifo = [&] { ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0); };
    const auto makeDirectory = [&] { writeFile(path + "/inner", "[Settings]\nDeleteOldFile=1\n"); };
    const auto makeDevice = [&] { ASSERT_EQ(::symlink("/dev/zero", path.c_str()), 0); };
    const auto makeLoop = [&] {
        ASSERT_EQ(::symlink((tmp / "loop-b").c_str(), path.c_str()), 0);
        ASSERT_EQ(::symlink(path.c_str(), (tmp / "loop-b").c_str()), 0);
    };
    for (const auto& make : {std::function<void()>(makeFifo), std::function<void()>(makeDirectory),
                             std::function<void()>(makeDevice), std::function<void()>(makeLoop)}) {
        make();
        struct stat before {};
        ASSERT_EQ(::lstat(path.c_str(), &before), 0);
        const Strings namesBefore = namesIn(tmp.path());
        // With the real store: the open must not block on a FIFO.
        SettingsFile real(path);
        EXPECT_TRUE(endsWithin(5000, [&] {
            const settings::StoredSettings loaded = real.load();
            if (loaded.options.deleteOldFile || !loaded.options.syncAttributes || !loaded.options.syncSubFolder ||
                !loaded.histories.dirs1.empty())
                ::_exit(1);
        })) << before.st_mode;
        EXPECT_TRUE(endsWithin(5000, [&] {
            if (errorOf([&] { real.saveOptions({}); }) != "Unable to write to " + path ||
                errorOf([&] { real.saveHistories({.dirs1 = {"/a"}, .dirs2 = {}}); }) != "Unable to write to " + path)
                ::_exit(1);
        })) << before.st_mode;
        // What stood there is still there, unchanged.
        struct stat after {};
        ASSERT_EQ(::lstat(path.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(namesIn(tmp.path()), namesBefore) << "no temporary file is left";

        // Clean up for the next kind.
        ::unlink((tmp / "loop-b").c_str());
        ::unlink((path + "/inner").c_str());
        ::rmdir(path.c_str());
        ::unlink(path.c_str());
    }
}
