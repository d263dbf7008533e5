// The copy on real file systems: owners and special bits, sparse files, and
// volumes that keep no permission bits.
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/PosixFileSystem.h"
#include "support/TempDir.h"

using namespace tessarin;
using platform::PosixFileSystem;
using testsupport::readFile;
using testsupport::statOf;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

constexpr uid_t kNobody = 65534;

// Runs body in a child that has dropped to an unprivileged user, since root
// bypasses permissions; true when body returned true.
template <typename Body> bool asUnprivileged(Body body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            ::_exit(2);
        ::_exit(body() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

TEST(CopySafety, ACopyNeverCarriesSetuidOrSetgidWithoutTheOwnerAndGroup)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give files to another user";
    TempDir tmp;
    PosixFileSystem fs;
    writeFile(tmp / "src/users", "#!/bin/true\n");
    ASSERT_EQ(::chown((tmp / "src/users").c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(::chmod((tmp / "src/users").c_str(), 06755), 0);
    writeFile(tmp / "src/roots", "#!/bin/true\n");
    ASSERT_EQ(::chmod((tmp / "src/roots").c_str(), 04755), 0);
    testsupport::makeDir(tmp / "dst");
    ::chmod(tmp.path().c_str(), 0755);
    ::chmod((tmp / "src").c_str(), 0755);
    ::chown((tmp / "dst").c_str(), kNobody, kNobody);

    // As root: the owner goes with the bits.
    ASSERT_TRUE(fs.copyFile(tmp / "src/users", {tmp / "dst", "users"}).ok());
    const struct stat st = statOf(tmp / "dst/users");
    EXPECT_EQ(st.st_uid, kNobody);
    EXPECT_EQ(st.st_gid, kNobody);
    EXPECT_EQ(st.st_mode & 07777, 06755u);

    // As a user: a copy of someone else's setuid file is the user's own, without the bits;
    // a copy of the user's own keeps them.
    EXPECT_TRUE(asUnprivileged([&] {
        PosixFileSystem user;
        return user.copyFile(tmp / "src/roots", {tmp / "dst", "roots"}).ok() &&
               user.copyFile(tmp / "src/users", {tmp / "dst", "own"}).ok();
    }));
    EXPECT_EQ(statOf(tmp / "dst/roots").st_uid, kNobody);
    EXPECT_EQ(statOf(tmp / "dst/roots").st_mode & 07777, 0755u);
    EXPECT_EQ(statOf(tmp / "dst/own").st_mode & 07777, 06755u);
}

// Small file systems mounted for one test, unmounted at its end.
class Mounted : public ::testing::Test {
protected:
    TempDir tmp;
    std::string mountPoint = tmp / "mnt";
    bool mounted = false;
    bool fuse = false;

    void TearDown() override
    {
        if (mounted && fuse)
            (void)std::system(
                ("fusermount -u '" + mountPoint + "' 2>/dev/null || umount -l '" + mountPoint + "'").c_str());
        else if (mounted)
            ::umount2(mountPoint.c_str(), MNT_DETACH);
    }
};

TEST_F(Mounted, ASparseFileCopiesOntoASmallFileSystemWithItsHoles)
{
    testsupport::makeDir(mountPoint);
    if (::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=64m") != 0)
        GTEST_SKIP() << "mounting a 64 MiB tmpfs was refused: " << std::strerror(errno);
    mounted = true;
    const std::string source = tmp / "sparse";
    const off_t size = 5LL << 30;
    {
        platform::Fd out(::open(source.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644));
        ASSERT_TRUE(out.valid());
        const std::string head(4096, 'h'), middle(4096, 'm');
        ASSERT_EQ(::pwrite(out.get(), head.data(), head.size(), 0), 4096);
        ASSERT_EQ(::pwrite(out.get(), middle.data(), middle.size(), 2LL << 30), 4096);
        ASSERT_EQ(::ftruncate(out.get(), size), 0);
    }
    if (statOf(source).st_blocks * 512 >= size)
        GTEST_SKIP() << "the temporary directory keeps no holes";

    PosixFileSystem fs;
    const platform::FsResult copied = fs.copyFile(source, {mountPoint, "sparse"});
    ASSERT_TRUE(copied.ok()) << copied.error;
    const struct stat st = statOf(mountPoint + "/sparse");
    EXPECT_EQ(st.st_size, size);
    EXPECT_LT(st.st_blocks * 512, 1 << 20);
    platform::Fd in(::open((mountPoint + "/sparse").c_str(), O_RDONLY));
    char bytes[3] = {};
    ASSERT_EQ(::pread(in.get(), &bytes[0], 1, 4095), 1);
    ASSERT_EQ(::pread(in.get(), &bytes[1], 1, (2LL << 30) + 1), 1);
    ASSERT_EQ(::pread(in.get(), &bytes[2], 1, (3LL << 30)), 1);
    EXPECT_EQ(std::string(bytes, 3), std::string("hm\0", 3));
}

TEST_F(Mounted, ACopyOntoFatSucceedsThoughPermissionsAndFineTimesAreRefused)
{
    testsupport::makeDir(mountPoint);
    const std::string image = tmp / "fat.img";
    if (std::system(("mkfs.vfat -C '" + image + "' 4096 >/dev/null 2>&1").c_str()) != 0)
        GTEST_SKIP() << "mkfs.vfat (dosfstools) is not installed";
    if (std::system(("fusefat -o rw+ '" + image + "' '" + mountPoint + "' >/dev/null 2>&1").c_str()) != 0)
        GTEST_SKIP() << "mounting the FAT image with fusefat was refused";
    mounted = fuse = true;
    writeFile(tmp / "odd.txt", "odd second", 1600000001, 500000000);
    ::chmod((tmp / "odd.txt").c_str(), 0640);

    PosixFileSystem fs;
    const platform::FsResult copied = fs.copyFile(tmp / "odd.txt", {mountPoint, "odd.txt"});
    ASSERT_TRUE(copied.ok()) << copied.error;
    EXPECT_EQ(readFile(mountPoint + "/odd.txt"), "odd second");
    EXPECT_LE(std::llabs(statOf(mountPoint + "/odd.txt").st_mtim.tv_sec - 1600000001LL), 2);
    // The attribute word likewise falls back to the read-only state.
    EXPECT_TRUE(fs.setAttributes({mountPoint, "odd.txt"}, 0600u << platform::kPermissionShift).ok());
    EXPECT_TRUE(fs.flushWrites().ok());
}
