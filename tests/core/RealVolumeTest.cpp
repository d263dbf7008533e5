// Synchronisation onto the volumes people carry: FAT, exFAT and NTFS images
// mounted with their FUSE drivers, a server's folder mounted with sshfs, and
// a sparse copy onto a small file system.
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/PathOpen.h"
#include "platform/PosixFileSystem.h"
#include "platform/TemporaryFile.h"
#include "support/RunCli.h"
#include "support/SshfsMount.h"
#include "support/TempDir.h"
#include "support/TreeCheck.h"
#include "support/VolumeImage.h"

using namespace testsupport;

namespace {

std::string pairArgs(const std::string& one, const std::string& two)
{
    return testsupport::quoted(one) + " " + testsupport::quoted(two);
}

class RealVolume : public ::testing::TestWithParam<VolumeKind> {};

std::string kindName(const ::testing::TestParamInfo<VolumeKind>& info)
{
    return volumeName(info.param);
}

} // namespace

// Odd seconds, fractions, a read-only file, a private file and nested
// directories: after one sync the next compare has nothing left to do.
TEST_P(RealVolume, OneWaySyncReportsSuccessAndConverges)
{
    VolumeImage volume(GetParam());
    REQUIRE_MOUNTED(volume);
    TempDir tmp;
    const std::string one = tmp / "one";
    writeFile(one + "/odd.txt", "odd second", 1600000001);
    writeFile(one + "/fraction.txt", "a fraction of a second", 1600000003, 700000000);
    writeFile(one + "/readonly.txt", "read only", 1600000005);
    ::chmod((one + "/readonly.txt").c_str(), 0444);
    writeFile(one + "/private.txt", "mode 0600", 1600000007);
    ::chmod((one + "/private.txt").c_str(), 0600);
    writeFile(one + "/sub/inner.txt", "inner", 1600000009);
    writeFile(one + "/sub/deeper/leaf.txt", "leaf", 1600000011);

    std::string out;
    EXPECT_EQ(runCli("sync one-to-two " + pairArgs(one, volume.path()), out), 0) << out;
    EXPECT_EQ(out, "目录一同步到目录二完成！\n");
    for (const char* rel :
         {"odd.txt", "fraction.txt", "readonly.txt", "private.txt", "sub/inner.txt", "sub/deeper/leaf.txt"})
        EXPECT_EQ(readFile(volume / rel), readFile(one + "/" + rel)) << rel;
    EXPECT_EQ(runCli("compare " + pairArgs(one, volume.path()), out), 0);
    EXPECT_EQ(out, "") << "rows left after the sync onto " << volumeName(GetParam());

    // Another run's temporary, made after a command started, is newer than
    // it, though the volume keeps coarser times than the kernel's clock.
    const tessarin::platform::FileTime started = tessarin::platform::changeClockNow();
    const tessarin::platform::TemporaryFile other = tessarin::platform::TemporaryFile::create(
        tessarin::platform::openPath(volume.path(), O_PATH | O_DIRECTORY | O_CLOEXEC), O_WRONLY, 0600);
    ASSERT_TRUE(other.created());
    tessarin::platform::PosixFileSystem fs;
    fs.removeStaleTemporaries({volume.path(), ""}, started);
    EXPECT_TRUE(exists(volume / other.name())) << "removed from " << volumeName(GetParam());
}

// Names these volumes cannot hold fail their rows, with the character in
// the reason, and the sync goes on: the folder "Notes: 2024" fails the files
// below it, and the directory pass still creates the folders after it. The
// volume is mounted inside directory two, whose own volume takes any name.
TEST_P(RealVolume, NamesTheVolumeCannotHoldFailAndTheSyncGoesOn)
{
    VolumeImage volume(GetParam());
    REQUIRE_MOUNTED(volume);
    const std::string two = volume.path().substr(0, volume.path().rfind('/'));
    TempDir tmp;
    const std::string one = tmp / "one";
    writeFile(one + "/top: level.txt", "on the root's volume", 1600000000);
    for (const char* rel : {"a:b.txt", "what?.txt", "tab\there.txt", "Notes: 2024/x.txt", "Notes: 2024/deeper/y.txt",
                            "ok.txt", "sub/z.txt"})
        writeFile(one + "/mnt/" + rel, rel, 1600000000);
    makeDir(one + "/mnt/empty"); // made by the directory pass alone

    std::string out;
    EXPECT_EQ(runCli("sync one-to-two " + pairArgs(one, two), out), 1) << out;
    EXPECT_EQ(out.rfind("目录一同步到目录二完成！\n\n有6个操作失败：\n", 0), 0u) << out;
    const std::string held = std::string("，") + volumeName(GetParam()) + "卷不能保存这样的名称";
    const std::string folder = "无法创建目录“" + volume / "Notes: 2024" + "”：名称中含有“:”" + held;
    for (const std::string& line :
         {"失败\t新建\tmnt/a:b.txt\t名称中含有“:”" + held, "失败\t新建\tmnt/what?.txt\t名称中含有“?”" + held,
          // A name holding a tab is escaped, and its record starts with a backslash.
          "\\失败\t新建\tmnt/tab\\there.txt\t名称中含有“\\t”" + held,
          "失败\t目录\t" + volume / "Notes: 2024" + "\t名称中含有“:”" + held,
          "失败\t新建\tmnt/Notes: 2024/x.txt\t" + folder, "失败\t新建\tmnt/Notes: 2024/deeper/y.txt\t" + folder})
        EXPECT_NE(out.find("\n" + line + "\n"), std::string::npos) << line << "\n" << out;
    EXPECT_EQ(pathsUnder(volume.path()), (std::vector<std::string>{"empty", "ok.txt", "sub", "sub/z.txt"}));
    EXPECT_EQ(readFile(volume / "sub/z.txt"), "sub/z.txt");
    EXPECT_EQ(readFile(two + "/top: level.txt"), "on the root's volume");
}

// The volumes show every file as 0777: a copy from one gets a new file's
// mode, never one that everybody may write.
TEST_P(RealVolume, CopiesFromTheVolumeGetANewFilesMode)
{
    VolumeImage volume(GetParam());
    REQUIRE_MOUNTED(volume);
    TempDir tmp;
    const std::string one = tmp / "one";
    makeDir(one);
    writeFile(volume / "plain.txt", "plain", 1600000000);
    writeFile(volume / "sub/inner.txt", "inner", 1600000000);

    std::string out;
    EXPECT_EQ(runCli("sync two-to-one " + pairArgs(one, volume.path()), out), 0) << out;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    for (const char* rel : {"plain.txt", "sub/inner.txt"})
        EXPECT_EQ(statOf(one + "/" + rel).st_mode & 07777, 0666 & ~mask) << rel;
}

INSTANTIATE_TEST_SUITE_P(Volumes, RealVolume, ::testing::Values(VolumeKind::Fat, VolumeKind::Exfat, VolumeKind::Ntfs),
                         kindName);

namespace {
class FatYearsVolume : public ::testing::TestWithParam<VolumeKind> {};
} // namespace

// FAT and exFAT hold the years 1980 to 2107 and their drivers store any
// other year as some other time: the copy gets the nearest time they hold,
// the report says so, and the pair is settled.
TEST_P(FatYearsVolume, TimesOutsideTheYearsAreClampedOnceAndReported)
{
    VolumeImage volume(GetParam());
    REQUIRE_MOUNTED(volume);
    TempDir tmp;
    const std::string one = tmp / "one";
    writeFile(one + "/1970.txt", "old", 10);
    writeFile(one + "/2110.txt", "far", 4431067200); // 2110-06-01 12:00:00 UTC
    writeFile(one + "/2000.txt", "within", 946684800);

    std::string out;
    EXPECT_EQ(runCli("sync one-to-two " + pairArgs(one, volume.path()), out), 0) << out;
    EXPECT_NE(out.find("有2个文件的修改时间超出了目标卷能保存的范围"), std::string::npos) << out;
    EXPECT_NE(out.find("1970.txt：修改时间 1970-01-01 00:00:10 写为 1980-01-01 00:00:00"), std::string::npos) << out;
    EXPECT_NE(out.find("2110.txt：修改时间 2110-06-01 12:00:00 写为 2107-12-31 23:59:58"), std::string::npos) << out;
    EXPECT_EQ(out.find("2000.txt"), std::string::npos) << out;
    EXPECT_EQ(runCli("compare " + pairArgs(one, volume.path()), out), 0);
    EXPECT_EQ(out, "") << "rows left after the sync onto " << volumeName(GetParam());
}

// FAT keeps local time: after the zone or daylight saving moved by whole
// hours every file would seem changed; a real edit still counts.
TEST(FatLocalTime, WholeHoursApartIsNoDifference)
{
    VolumeImage volume(VolumeKind::Fat);
    REQUIRE_MOUNTED(volume);
    TempDir tmp;
    const std::string one = tmp / "one";
    writeFile(one + "/later.txt", "x", 1600000000);
    writeFile(volume / "later.txt", "x", 1600003600);
    writeFile(one + "/earlier.txt", "x", 1600000000);
    writeFile(volume / "earlier.txt", "x", 1600000000 - 2 * 3600);
    writeFile(one + "/edited.txt", "x", 1600000000);
    writeFile(volume / "edited.txt", "x", 1600001800);

    std::string out;
    EXPECT_EQ(runCli("compare " + pairArgs(one, volume.path()), out), 0);
    EXPECT_EQ(out.find("later.txt"), std::string::npos) << out;
    EXPECT_EQ(out.find("earlier.txt"), std::string::npos) << out;
    EXPECT_NE(out.find("edited.txt"), std::string::npos) << out;
}

INSTANTIATE_TEST_SUITE_P(Volumes, FatYearsVolume, ::testing::Values(VolumeKind::Fat, VolumeKind::Exfat), kindName);

namespace {
class CaseInsensitiveVolume : public ::testing::TestWithParam<VolumeKind> {};
} // namespace

// Readme.txt on ext4 and README.TXT on the volume are one file there: a sync
// with deletion must leave it holding directory one's content, not remove
// the copy it has just written.
TEST_P(CaseInsensitiveVolume, OneToTwoWithDeletionKeepsTheCopy)
{
    VolumeImage volume(GetParam());
    REQUIRE_MOUNTED(volume);
    TempDir tmp;
    const std::string one = tmp / "one";
    writeFile(one + "/Readme.txt", "directory one's newer text", 1700000000);
    writeFile(one + "/other.txt", "other", 1600000000);
    writeFile(volume / "README.TXT", "old", 1600000000);

    std::string out;
    const int code = runCli("sync one-to-two " + pairArgs(one, volume.path()) + " --delete-old-files", out);
    const auto names = namesLike(volume.path(), "readme.txt");
    ASSERT_EQ(names.size(), 1u) << "directory two lost the file, yet the command said: " << out;
    EXPECT_EQ(readFile(volume / names[0]), "directory one's newer text");
    EXPECT_EQ(code, 0) << out;
    EXPECT_EQ(out, "目录一同步到目录二完成！\n");
    EXPECT_EQ(runCli("compare " + pairArgs(one, volume.path()), out), 0);
    EXPECT_EQ(out, "");
}

// The newer text lives only in README.TXT on the volume: a two-way sync
// must carry it over, never overwrite it with the older Readme.txt.
TEST_P(CaseInsensitiveVolume, BothWaysKeepsTheNewerFileOnBothSides)
{
    VolumeImage volume(GetParam());
    REQUIRE_MOUNTED(volume);
    TempDir tmp;
    const std::string one = tmp / "one";
    writeFile(one + "/Readme.txt", "older text", 1600000000);
    writeFile(volume / "README.TXT", "newer text, only on the volume", 1700000000);
    // Final sigma folds as sigma there (fusefat holds no such name at all).
    writeFile(volume / "λόγοσ.txt", "newer", 1700000000);
    const bool sigmaFolds = exists(volume / "λόγος.txt");
    if (sigmaFolds)
        writeFile(one + "/λόγος.txt", "older", 1600000000);

    std::string out;
    EXPECT_EQ(runCli("sync both " + pairArgs(one, volume.path()), out), 0) << out;
    if (sigmaFolds) {
        EXPECT_EQ(readFile(volume / "λόγοσ.txt"), "newer");
        EXPECT_EQ(readFile(one + "/λόγος.txt"), "newer");
    }
    const auto onVolume = namesLike(volume.path(), "readme.txt");
    ASSERT_EQ(onVolume.size(), 1u);
    EXPECT_EQ(readFile(volume / onVolume[0]), "newer text, only on the volume");
    const auto inOne = namesLike(one, "readme.txt");
    ASSERT_EQ(inOne.size(), 1u) << "the pair was not matched as one file";
    EXPECT_EQ(readFile(one + "/" + inOne[0]), "newer text, only on the volume");
}

// Two names of directory one that the volume takes for one file: the first
// is carried out, the other is a failed row naming it, every time; and a
// volume mounted inside an ext4 root matches the names below it as it does.
TEST_P(CaseInsensitiveVolume, NamesThatAreOneFileThereAreMatchedAsTheVolumeMatchesThem)
{
    VolumeImage volume(GetParam());
    REQUIRE_MOUNTED(volume);
    TempDir tmp;
    const std::string one = tmp / "one";
    writeFile(one + "/A.txt", "upper", 1600000000);
    writeFile(one + "/a.txt", "lower", 1600000000);
    std::string out;
    for (int run = 0; run < 2; ++run) {
        EXPECT_EQ(runCli("sync one-to-two " + pairArgs(one, volume.path()), out), 1) << out;
        EXPECT_NE(out.find("失败\t新建\ta.txt\t与"), std::string::npos) << out;
        EXPECT_NE(out.find("与“A.txt”在目录二中是同一个文件"), std::string::npos) << out;
        EXPECT_EQ(namesLike(volume.path(), "a.txt"), std::vector<std::string>{"A.txt"});
        EXPECT_EQ(readFile(volume / "A.txt"), "upper");
    }
    EXPECT_EQ(runCli("compare " + pairArgs(one, volume.path()), out), 0);
    EXPECT_NE(out.find("→\t新建\ta.txt\n"), std::string::npos) << "the sides differ, yet: " << out;

    const std::string three = tmp / "three", two = tmp / "two";
    makeDir(two + "/usb");
    if (std::system(("mount --bind " + quoted(volume.path()) + " " + quoted(two + "/usb")).c_str()) != 0)
        GTEST_SKIP() << "no bind mount here";
    writeFile(three + "/usb/Readme.txt", "new", 1700000000);
    writeFile(volume / "README.TXT", "old", 1600000000);
    const int code = runCli("sync one-to-two " + pairArgs(three, two) + " --delete-old-files", out);
    const std::string listed = out;
    EXPECT_EQ(runCli("compare " + pairArgs(three, two), out), 0);
    std::system(("umount " + quoted(two + "/usb")).c_str());
    EXPECT_EQ(code, 0) << listed;
    EXPECT_EQ(out, "");
    const auto names = namesLike(volume.path(), "readme.txt");
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(readFile(volume / names[0]), "new");
}

// ntfs-3g keeps names case-sensitive by default, so only FAT and exFAT here.
INSTANTIATE_TEST_SUITE_P(Volumes, CaseInsensitiveVolume, ::testing::Values(VolumeKind::Fat, VolumeKind::Exfat),
                         kindName);

namespace {

constexpr off_t kSparseSize = 5LL << 30;
const off_t kDataOffsets[] = {0, 2LL << 30, kSparseSize - 4096};

std::string blockAt(off_t offset)
{
    return std::string(4096, static_cast<char>('A' + (offset >> 30)));
}

class SparseTarget : public ::testing::TestWithParam<VolumeKind> {};

} // namespace

// A 5 GiB file holding 12 KiB of data fits on a 64 MiB file system that keeps holes.
TEST_P(SparseTarget, SparseFileCopiesOntoASmallFileSystem)
{
    VolumeImage volume(GetParam(), 64);
    REQUIRE_MOUNTED(volume);
    TempDir tmp;
    const std::string one = tmp / "one";
    makeDir(one);
    const std::string source = one + "/sparse.img";
    {
        const int fd = ::open(source.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        for (const off_t offset : kDataOffsets) {
            const std::string data = blockAt(offset);
            ASSERT_EQ(::pwrite(fd, data.data(), data.size(), offset), static_cast<ssize_t>(data.size()));
        }
        ASSERT_EQ(::ftruncate(fd, kSparseSize), 0);
        ::close(fd);
        struct timespec times[2] = {{1600000000, 0}, {1600000000, 0}};
        ::utimensat(AT_FDCWD, source.c_str(), times, 0);
    }

    std::string out;
    EXPECT_EQ(runCli("sync one-to-two " + pairArgs(one, volume.path()), out), 0) << out;
    const std::string copy = volume / "sparse.img";
    const struct stat st = statOf(copy);
    ASSERT_EQ(st.st_size, kSparseSize) << out;
    EXPECT_LT(st.st_blocks * 512, 4LL << 20) << "the holes were written out";
    const int fd = ::open(copy.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    for (const off_t offset : kDataOffsets) {
        std::string data(4096, '\0');
        EXPECT_EQ(::pread(fd, data.data(), data.size(), offset), 4096);
        EXPECT_EQ(data, blockAt(offset)) << "at offset " << offset;
    }
    char zero = 1;
    EXPECT_EQ(::pread(fd, &zero, 1, 1LL << 30), 1);
    EXPECT_EQ(zero, '\0');
    ::close(fd);
    EXPECT_EQ(runCli("compare " + pairArgs(one, volume.path()), out), 0);
    EXPECT_EQ(out, "");
}

INSTANTIATE_TEST_SUITE_P(SmallFileSystems, SparseTarget, ::testing::Values(VolumeKind::Ext4, VolumeKind::Tmpfs),
                         kindName);

// A server's folder through sshfs: SFTP carries whole seconds from 1970 to
// 2106, and sshfs would send any other time as another (1960 as 2096). Syncs
// one way with an update, a deletion and a read-only file, then the other
// way, then both: each leaves the next compare empty, the contents the
// same, and a time outside is clamped once and reported.
TEST(SshfsVolume, SyncsEachWayAndConverges)
{
    SshfsMount volume;
    REQUIRE_MOUNTED(volume);
    TempDir tmp;
    const std::string one = tmp / "one";
    const std::string served = volume.served();
    writeFile(one + "/fraction.txt", "a fraction of a second", 1600000003, 700000000);
    writeFile(one + "/readonly.txt", "read only", 1600000005);
    ::chmod((one + "/readonly.txt").c_str(), 0444);
    writeFile(one + "/sub/inner.txt", "inner", 1600000007);
    writeFile(one + "/sub/deeper/leaf.txt", "leaf", 1600000009);
    writeFile(one + "/1960.txt", "old");
    const struct timespec old[2] = {{-315619200, 0}, {-315619200, 0}}; // 1960-01-01 00:00:00 UTC
    ::utimensat(AT_FDCWD, (one + "/1960.txt").c_str(), old, 0);
    writeFile(one + "/2110.txt", "far", 4431067200); // 2110-06-01 12:00:00 UTC
    writeFile(served + "/sub/inner.txt", "older", 1600000000);
    writeFile(served + "/stale.txt", "deleted", 1600000000);
    const auto same = [&](const std::vector<std::string>& rels) {
        for (const std::string& rel : rels)
            EXPECT_EQ(readFile(served + "/" + rel), readFile(one + "/" + rel)) << rel;
    };

    std::string out;
    EXPECT_EQ(runCliWithin(60, "sync one-to-two " + pairArgs(one, volume.path()) + " --delete-old-files", out), 0)
        << out;
    EXPECT_NE(out.find("有2个文件的修改时间超出了目标卷能保存的范围"), std::string::npos) << out;
    EXPECT_NE(out.find("1960.txt：修改时间 1960-01-01 00:00:00 写为 1970-01-01 00:00:01"), std::string::npos) << out;
    EXPECT_NE(out.find("2110.txt：修改时间 2110-06-01 12:00:00 写为 2106-02-07 06:28:15"), std::string::npos) << out;
    same({"fraction.txt", "readonly.txt", "sub/inner.txt", "sub/deeper/leaf.txt", "1960.txt", "2110.txt"});
    EXPECT_FALSE(exists(served + "/stale.txt"));
    EXPECT_EQ(statOf(served + "/readonly.txt").st_mode & 07777, 0444u);
    EXPECT_EQ(runCliWithin(60, "compare " + pairArgs(one, volume.path()), out), 0);
    EXPECT_EQ(out, "") << "rows left after the sync onto sshfs";

    // Made and changed through the mount (sshfs caches what it listed, so
    // not beside it), with fractions it does not keep.
    writeFile(volume / "sub/made.txt", "made there", 1600000011, 250000000);
    writeFile(volume / "fraction.txt", "edited there", 1600000100, 500000000);
    EXPECT_EQ(runCliWithin(60, "sync two-to-one " + pairArgs(one, volume.path()), out), 0) << out;
    same({"sub/made.txt", "fraction.txt"});
    EXPECT_EQ(runCliWithin(60, "compare " + pairArgs(one, volume.path()), out), 0);
    EXPECT_EQ(out, "") << "rows left after the sync from sshfs";

    writeFile(one + "/sub/inner.txt", "edited here", 1600000200, 900000000);
    writeFile(volume / "sub/deeper/leaf.txt", "edited there", 1600000300);
    EXPECT_EQ(runCliWithin(60, "sync both " + pairArgs(one, volume.path()), out), 0) << out;
    same({"sub/inner.txt", "sub/deeper/leaf.txt", "1960.txt", "2110.txt"});
    EXPECT_EQ(readFile(one + "/sub/deeper/leaf.txt"), "edited there");
    EXPECT_EQ(runCliWithin(60, "compare " + pairArgs(one, volume.path()), out), 0);
    EXPECT_EQ(out, "") << "rows left after the sync both ways";
}

// A server without posix-rename refuses to replace a file by renaming: the
// update fails saying so and how to mount instead, the old file stays, and
// no temporary file is left.
TEST(SshfsVolume, AServerThatCannotReplaceFailsTheUpdateSayingWhy)
{
    SshfsMount volume(false);
    REQUIRE_MOUNTED(volume);
    TempDir tmp;
    const std::string one = tmp / "one";
    writeFile(one + "/a.txt", "new", 1600000100);
    writeFile(volume / "a.txt", "old", 1600000000);

    std::string out;
    EXPECT_EQ(runCliWithin(60, "sync one-to-two " + pairArgs(one, volume.path()), out), 1) << out;
    EXPECT_NE(out.find("失败\t更新\ta.txt\tSFTP 服务器不能替换已有的文件（它没有 posix-rename 扩展）"),
              std::string::npos)
        << out;
    EXPECT_EQ(readFile(volume.served() + "/a.txt"), "old");
    EXPECT_EQ(namesIn(volume.served()), std::vector<std::string>{"a.txt"});
}
