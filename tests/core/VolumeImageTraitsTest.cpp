// The compare on real FAT and exFAT volumes: small images mounted with their
// FUSE drivers. Skipped, with the reason, where mounting is refused.
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "ExecutorFixture.h"

using namespace tessarin;
using testsupport::Strings;
using testsupport::writeFile;
using Permissions = platform::VolumeTraits::Permissions;

namespace {

int shell(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str());
}

struct VolumeImageTraits : testsupport::ExecutorFixture {
    std::string image = tmp / "volume.img";
    std::string loop;
    bool mounted = false;

    // Makes and mounts an image as directory two; false (with the test
    // skipped by the caller) where the tools or the mount are refused.
    bool mountExfat()
    {
        makeTwo();
        if (shell("truncate -s 16M '" + image + "' && mkfs.exfat '" + image + "'") != 0)
            return false;
        FILE* p = ::popen(("losetup -f --show '" + image + "' 2>/dev/null").c_str(), "r");
        char buf[64] = {};
        if (!p || !std::fgets(buf, sizeof buf, p)) {
            if (p)
                ::pclose(p);
            return false;
        }
        ::pclose(p);
        loop = buf;
        loop.erase(loop.find_last_not_of('\n') + 1);
        return mounted = shell("mount.exfat-fuse '" + loop + "' '" + two + "'") == 0;
    }
    bool mountFat()
    {
        makeTwo();
        if (shell("truncate -s 16M '" + image + "' && mkfs.vfat '" + image + "'") != 0)
            return false;
        return mounted = shell("fusefat -o rw+ '" + image + "' '" + two + "'") == 0;
    }
    void makeTwo() { testsupport::makeDir(two); }
    ~VolumeImageTraits() override
    {
        if (mounted)
            shell("umount '" + two + "' || fusermount -u '" + two + "'");
        if (!loop.empty())
            shell("losetup -d '" + loop + "'");
    }
};

} // namespace

TEST_F(VolumeImageTraits, ExfatKeepsNoPermissionsAndIgnoresCase)
{
    if (!mountExfat())
        GTEST_SKIP() << "an exFAT image could not be mounted with exfat-fuse here";
    writeFile(two + "/Probe.txt", "p");
    EXPECT_EQ(posix.volumeTraits(two + "/").permissions, Permissions::None);
    EXPECT_TRUE(posix.volumeTraits(two + "/").caseInsensitive);
    // "fuseblk" may be exFAT or NTFS: the boot sector tells.
    EXPECT_EQ(posix.volumeTraits(two + "/").family, platform::VolumeTraits::Family::Exfat);
}

TEST_F(VolumeImageTraits, AfterAOneWaySyncOntoExfatTheNextCompareShowsNoRow)
{
    if (!mountExfat())
        GTEST_SKIP() << "an exFAT image could not be mounted with exfat-fuse here";
    writeFile(one + "/Readme.txt", "new text", 1600000001, 500000000);
    writeFile(one + "/sub/Deep.txt", "deep", 1600000003);
    ::chmod((one + "/sub/Deep.txt").c_str(), 0600);
    writeFile(two + "/README.TXT", "old", 1500000000); // the same file there
    options.deleteOldFile = true;
    compare();
    EXPECT_EQ(rows(tessarin::sync::SyncSide::One), (Strings{"新建 sub/Deep.txt", "更新 Readme.txt"}));
    EXPECT_EQ(rows(tessarin::sync::SyncSide::Two), (Strings{"删除 sub/Deep.txt"}));
    EXPECT_TRUE(executor().SyncOneToTwo(options).failures.empty());
    compare();
    EXPECT_EQ(rows(tessarin::sync::SyncSide::One), Strings{});
    EXPECT_EQ(rows(tessarin::sync::SyncSide::Two), Strings{});
    // The copy landed on the one file, under the source's spelling; nothing was deleted.
    EXPECT_EQ(testsupport::readFile(two + "/Readme.txt"), "new text");
    EXPECT_EQ(testsupport::readFile(two + "/sub/Deep.txt"), "deep");
}

TEST_F(VolumeImageTraits, FatKeepsTimesToTwoSecondsAndIgnoresCase)
{
    if (!mountFat())
        GTEST_SKIP() << "a FAT image could not be mounted with fusefat here";
    const platform::VolumeTraits traits = posix.volumeTraits(two + "/");
    EXPECT_EQ(traits.permissions, Permissions::None);
    EXPECT_TRUE(traits.caseInsensitive);
    EXPECT_EQ(traits.timeResolutionSeconds, 2);
    EXPECT_EQ(traits.family, platform::VolumeTraits::Family::Fat);
    // A file an odd second old, as FAT stores it: no "更新" either way.
    writeFile(one + "/odd.txt", "x", 1600000001);
    writeFile(two + "/ODD.TXT", "x", 1600000001);
    compare();
    EXPECT_EQ(rows(tessarin::sync::SyncSide::One), Strings{});
    EXPECT_EQ(rows(tessarin::sync::SyncSide::Two), Strings{});
}
