#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include "platform/PosixFileSystem.h"
#include "support/AsUser.h"
#include "support/TempDir.h"

using namespace tessarin;
using platform::PosixFileSystem;
using testsupport::readFile;
using testsupport::statOf;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

// Names in a directory, to see that no temporary file was left behind.
std::vector<std::string> entriesOf(const std::string& dir)
{
    std::vector<std::string> names;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (const dirent* e = ::readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                names.emplace_back(e->d_name);
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(FileChanges, CopyReplacesTheTargetWithContentPermissionsAndNanosecondTime)
{
    TempDir tmp;
    PosixFileSystem fs;
    const std::string big(3 * 1024 * 1024 + 17, 'q');
    writeFile(tmp / "src/a.bin", big, 1600000000, 123456789);
    ::chmod((tmp / "src/a.bin").c_str(), 0751);
    writeFile(tmp / "dst/a.bin", "old");
    ::chmod((tmp / "dst/a.bin").c_str(), 0600);
    writeFile(tmp / "src/empty", "", 1500000000, 5);

    ASSERT_TRUE(fs.copyFile(tmp / "src/a.bin", {tmp.path(), "dst/a.bin"}).ok());
    ASSERT_TRUE(fs.copyFile(tmp / "src/empty", {tmp.path(), "dst/empty"}).ok());

    EXPECT_EQ(readFile(tmp / "dst/a.bin"), big);
    const struct stat st = statOf(tmp / "dst/a.bin");
    EXPECT_EQ(st.st_mode & 07777, 0751u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1600000000);
    EXPECT_EQ(st.st_mtim.tv_nsec, 123456789);
    EXPECT_EQ(statOf(tmp / "dst/empty").st_size, 0);
    EXPECT_EQ(statOf(tmp / "dst/empty").st_mtim.tv_nsec, 5);
    EXPECT_EQ(entriesOf(tmp / "dst"), (std::vector<std::string>{"a.bin", "empty"}));
}

TEST(FileChanges, FailedCopiesReportTheReasonAndLeaveNothingBehind)
{
    TempDir tmp;
    PosixFileSystem fs;
    writeFile(tmp / "src/a", "a");
    testsupport::makeDir(tmp / "dst/a");

    const platform::FsResult missing = fs.copyFile(tmp / "src/nothing", {tmp.path(), "dst/b"});
    EXPECT_FALSE(missing.ok());
    EXPECT_EQ(missing.error, platform::systemErrorText(ENOENT));
    EXPECT_EQ(missing.errorNumber, ENOENT); // the cause itself, for a decision by the caller
    EXPECT_EQ(fs.copyFile(tmp / "src/a", {tmp.path(), "nodir/a"}).errorNumber, ENOENT);
    // A directory stands where the file should go: the rename fails.
    EXPECT_FALSE(fs.copyFile(tmp / "src/a", {tmp.path(), "dst/a"}).ok());
    EXPECT_TRUE(testsupport::isDir(tmp / "dst/a"));
    EXPECT_EQ(entriesOf(tmp / "dst"), (std::vector<std::string>{"a"}));
}

// A copy that fails part-way, here because the process may not write files
// larger than 64 KiB: the old target is untouched and the temporary file is gone.
TEST(FileChanges, CopyFailingPartWayKeepsTheOldTargetByteForByte)
{
    TempDir tmp;
    std::string source(1024 * 1024, '\0');
    for (std::size_t i = 0; i < source.size(); ++i)
        source[i] = static_cast<char>(i * 7 + 3);
    const std::string old = "the old target, which must survive\n";
    writeFile(tmp / "src/big", source);
    writeFile(tmp / "dst/big", old, 1400000000);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const struct rlimit limit {
            64 * 1024, 64 * 1024
        };
        ::setrlimit(RLIMIT_FSIZE, &limit);
        PosixFileSystem fs;
        const platform::FsResult result = fs.copyFile(tmp / "src/big", {tmp.path(), "dst/big"});
        ::_exit(!result.ok() && result.error == platform::systemErrorText(EFBIG) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the copy did not report the failure";
    EXPECT_EQ(readFile(tmp / "dst/big"), old);
    EXPECT_EQ(statOf(tmp / "dst/big").st_mtim.tv_sec, 1400000000);
    EXPECT_EQ(entriesOf(tmp / "dst"), (std::vector<std::string>{"big"}));
}

TEST(FileChanges, DeleteRemovesALinkNotWhatItPointsTo)
{
    TempDir tmp;
    PosixFileSystem fs;
    writeFile(tmp / "keep.txt", "keep");
    ASSERT_EQ(::symlink((tmp / "keep.txt").c_str(), (tmp / "link").c_str()), 0);
    EXPECT_EQ(fs.entryKind({tmp.path(), "link"}), platform::EntryKind::Link);
    EXPECT_TRUE(fs.deleteFile({tmp.path(), "link"}).ok());
    EXPECT_FALSE(testsupport::exists(tmp / "link"));
    EXPECT_EQ(readFile(tmp / "keep.txt"), "keep");
    EXPECT_FALSE(fs.deleteFile({tmp.path(), "link"}).ok());
    EXPECT_EQ(fs.entryKind({tmp.path(), "link"}), platform::EntryKind::Missing);
}

TEST(FileChanges, AttributeWordAppliesPermissionBitsOrOnlyTheReadOnlyState)
{
    TempDir tmp;
    PosixFileSystem fs;
    writeFile(tmp / "f", "x");
    ::chmod((tmp / "f").c_str(), 0664);
    auto mode = [&] { return statOf(tmp / "f").st_mode & 07777; };

    ASSERT_TRUE(fs.setAttributes({tmp.path(), "f"}, platform::kAttrArchive | (0640u << 16)).ok());
    EXPECT_EQ(mode(), 0640u);
    ASSERT_TRUE(fs.setAttributes({tmp.path(), "f"}, platform::kAttrReadOnly | platform::kAttrArchive).ok());
    EXPECT_EQ(mode(), 0440u);
    ASSERT_TRUE(fs.setAttributes({tmp.path(), "f"}, platform::kAttrArchive).ok());
    EXPECT_EQ(mode(), 0640u);
    EXPECT_FALSE(fs.setAttributes({tmp.path(), "missing"}, 0644u << 16).ok());

    // Another user's file refuses the change: a failure, not a volume
    // without permission bits.
    if (::geteuid() != 0)
        return;
    ::chmod(tmp.path().c_str(), 0755);
    ::chmod((tmp / "f").c_str(), 0644);
    const int refused = testsupport::runAsNobody([&] {
        PosixFileSystem asNobody;
        return asNobody.setAttributes({tmp.path(), "f"}, platform::kAttrArchive | (0600u << 16)).ok() ? 1 : 0;
    });
    EXPECT_EQ(refused, 0) << "a refused permission change was reported as done";
    EXPECT_EQ(mode(), 0644u);
}

TEST(FileChanges, DirectoryCreationAndRemovalReportTheSystemsReason)
{
    TempDir tmp;
    PosixFileSystem fs;
    writeFile(tmp / "file", "x");
    EXPECT_TRUE(fs.createDirectory({tmp.path(), "d"}, std::nullopt).ok());
    const platform::FsResult underFile = fs.createDirectory({tmp.path(), "file/d"}, std::nullopt);
    EXPECT_EQ(underFile.error, platform::systemErrorText(ENOTDIR));
    writeFile(tmp / "d/x", "x");
    EXPECT_FALSE(fs.removeDirectory({tmp.path(), "d"}).ok());
    ASSERT_TRUE(fs.deleteFile({tmp.path(), "d/x"}).ok());
    EXPECT_TRUE(fs.removeDirectory({tmp.path(), "d"}).ok());
}
