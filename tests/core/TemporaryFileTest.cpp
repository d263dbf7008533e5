#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/PathOpen.h"
#include "platform/TemporaryFile.h"
#include "support/TempDir.h"

using namespace tessarin::platform;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

std::vector<std::string> namesIn(const std::string& directory)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(directory.c_str());
    while (const dirent* entry = ::readdir(dir))
        if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
            names.push_back(entry->d_name);
    ::closedir(dir);
    return names;
}

Fd openDirectory(const std::string& path)
{
    return openPath(path, O_PATH | O_DIRECTORY);
}

} // namespace

TEST(TemporaryFile, ANewFileOfTheLeftoverPatternIsRemovedUnlessCommitted)
{
    TempDir tmp;
    const mode_t oldMask = ::umask(022);
    std::string name;
    {
        TemporaryFile file = TemporaryFile::create(openDirectory(tmp.path()), O_RDWR, 0666);
        ::umask(oldMask);
        ASSERT_TRUE(file.created()) << std::strerror(errno);
        name = file.name();
        EXPECT_TRUE(isTemporaryName(name)) << name << " is recognised by a sync as a killed run's leftover";
        EXPECT_EQ(name.substr(0, 14), ".tessarin-tmp.");
        EXPECT_EQ(name.size(), 38u);
        // Only a marker and 24 lower-case letters or digits: names a user
        // gives, an earlier version's ".tessarin-" and six letters too, are
        // ordinary files.
        for (const char* user :
             {".tessarin-backup", ".tessarin-config", ".tessarin-notes1", ".tessarin-abc123", ".tessarin-Ab12Cd",
              ".tessarin-tmp.", ".tessarin-tmp.0k7qz3m1x9c2v8b4n6h5j0r", ".tessarin-tmp.0k7qz3m1x9c2v8b4n6h5j0ra1",
              ".tessarin-tmp.0k7qz3m1x9c2v8b4n6h5j0rA", ".tessarin-tmp.0k7qz3m1x9c2v8b4n6h5j0r-",
              ".tessarin-tmp-0k7qz3m1x9c2v8b4n6h5j0ra", "x.tessarin-tmp.0k7qz3m1x9c2v8b4n6h5j0r"})
            EXPECT_FALSE(isTemporaryName(user)) << user;
        EXPECT_EQ(namesIn(tmp.path()), std::vector<std::string>{name});
        struct stat st {};
        ASSERT_EQ(::fstat(file.fd(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_EQ(st.st_size, 0);
        EXPECT_EQ(st.st_mode & 07777, 0644u) << "the mode asked for, less the umask";
        EXPECT_EQ(::write(file.fd(), "half", 4), 4);
        EXPECT_EQ(file.close(), 0);
        EXPECT_EQ(file.fd(), -1);
        EXPECT_EQ(readFile(tmp / name), "half") << "closing keeps the file until it is committed or removed";
    }
    EXPECT_TRUE(namesIn(tmp.path()).empty()) << "the uncommitted file is removed on the way out";

    // Removing it by hand keeps the reason of the failure that led there,
    // and the file is removed once only.
    TemporaryFile discarded = TemporaryFile::create(openDirectory(tmp.path()), O_WRONLY, 0600);
    ASSERT_TRUE(discarded.created());
    const std::string discardedName = discarded.name();
    errno = EIO;
    discarded.discard();
    EXPECT_EQ(errno, EIO);
    EXPECT_FALSE(discarded.created());
    writeFile(tmp / discardedName, "someone else's");
    discarded = TemporaryFile();
    EXPECT_EQ(readFile(tmp / discardedName), "someone else's");
}

TEST(TemporaryFile, ACommitReplacesTheTargetWholeAndAFailedOneLeavesItAsItWas)
{
    TempDir tmp;
    writeFile(tmp / "target", "old content");
    {
        TemporaryFile file = TemporaryFile::create(openDirectory(tmp.path()), O_WRONLY, 0600);
        ASSERT_TRUE(file.created());
        ASSERT_EQ(::write(file.fd(), "new", 3), 3);
        struct stat written {};
        ASSERT_EQ(::fstat(file.fd(), &written), 0);
        EXPECT_EQ(readFile(tmp / "target"), "old content") << "nothing changes before the commit";
        ASSERT_EQ(file.commit("target"), 0) << std::strerror(errno);
        EXPECT_EQ(file.fd(), -1) << "the commit closes the file";
        EXPECT_EQ(testsupport::statOf(tmp / "target").st_ino, written.st_ino);
        // The directory stays open after the commit, for what follows it.
        struct stat placed {};
        EXPECT_EQ(::fstatat(file.directory(), "target", &placed, 0), 0);
        EXPECT_EQ(file.commit("again"), -1) << "a file is committed once";
    }
    EXPECT_EQ(readFile(tmp / "target"), "new");
    EXPECT_EQ(namesIn(tmp.path()), std::vector<std::string>{"target"});

    // A directory that is not empty cannot be renamed over: the commit
    // fails, and the temporary file goes away with its object.
    writeFile(tmp / "taken/inner", "kept");
    {
        TemporaryFile file = TemporaryFile::create(openDirectory(tmp.path()), O_WRONLY, 0600);
        ASSERT_TRUE(file.created());
        EXPECT_EQ(file.commit("taken"), -1);
        EXPECT_TRUE(errno == EISDIR || errno == ENOTEMPTY || errno == EEXIST) << std::strerror(errno);
        EXPECT_EQ(namesIn(tmp.path()).size(), 3u);
    }
    EXPECT_EQ(readFile(tmp / "taken/inner"), "kept");
    EXPECT_EQ(namesIn(tmp.path()).size(), 2u);
}

TEST(TemporaryFile, NamesDoNotMeetAndOwnershipMovesWithTheObject)
{
    TempDir tmp;
    const Fd dir = openDirectory(tmp.path());
    std::vector<TemporaryFile> files;
    std::set<std::string> names;
    for (int i = 0; i < 300; ++i) {
        files.push_back(TemporaryFile::create(Fd(::fcntl(dir.get(), F_DUPFD_CLOEXEC, 0)), O_WRONLY, 0600));
        ASSERT_TRUE(files.back().created()) << std::strerror(errno);
        names.insert(files.back().name());
    }
    EXPECT_EQ(names.size(), 300u);
    EXPECT_EQ(namesIn(tmp.path()).size(), 300u) << "moving the objects about removed none";

    // Assigning over a temporary file removes the one it held.
    const std::string replaced = files.front().name();
    files.front() = std::move(files.back());
    files.pop_back();
    EXPECT_EQ(namesIn(tmp.path()).size(), 299u);
    EXPECT_EQ(::faccessat(dir.get(), replaced.c_str(), F_OK, 0), -1);
    files.clear();
    EXPECT_TRUE(namesIn(tmp.path()).empty());
}

TEST(TemporaryFile, ADirectoryThatTakesNoFileGivesTheReason)
{
    TempDir tmp;
    errno = 0;
    EXPECT_FALSE(TemporaryFile::create(Fd(), O_WRONLY, 0600).created());
    EXPECT_EQ(errno, EBADF);

    writeFile(tmp / "file", "x");
    EXPECT_FALSE(TemporaryFile::create(openPath(tmp / "file", O_PATH), O_WRONLY, 0600).created());
    EXPECT_EQ(errno, ENOTDIR);

    testsupport::makeDir(tmp / "gone");
    Fd goneDir = openDirectory(tmp / "gone");
    ASSERT_EQ(::rmdir((tmp / "gone").c_str()), 0);
    EXPECT_FALSE(TemporaryFile::create(std::move(goneDir), O_WRONLY, 0600).created());
    EXPECT_EQ(errno, ENOENT) << "a removed directory takes no new file";
    EXPECT_EQ(namesIn(tmp.path()), std::vector<std::string>{"file"});
}
