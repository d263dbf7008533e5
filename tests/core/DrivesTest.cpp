#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/PosixDrives.h"
#include "support/AsUser.h"
#include "support/TempDir.h"

using namespace tessarin::platform;
using testsupport::makeDir;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

// A line of /proc/self/mountinfo for a mount of device at point.
std::string mountLine(const std::string& device, const std::string& point, const std::string& type,
                      const std::string& numbers = "8:1")
{
    return "30 1 " + numbers + " / " + point + " rw,relatime shared:1 - " + type + " " + device + " rw\n";
}

} // namespace

TEST(Drives, MountTableFieldsAreDecoded)
{
    const auto mounts = parseMountInfo("22 1 0:21 / /proc rw - proc proc rw\n"
                                       "23 1 8:2 / /media/my\\040disk rw shared:2 - ext4 /dev/sda2 rw\n"
                                       "24 1 8:17 / /tab\\011x\\134y rw - vfat /dev/sdb1 rw");
    ASSERT_EQ(mounts.size(), 3u);
    EXPECT_EQ(mounts[0].source, "proc");
    EXPECT_EQ(mounts[1].source, "/dev/sda2");
    EXPECT_EQ(mounts[1].mountPoint, "/media/my disk");
    EXPECT_EQ((std::pair{mounts[2].major, mounts[2].minor}), (std::pair{8u, 17u}));
    EXPECT_EQ(mounts[2].mountPoint, "/tab\tx\\y");
}

TEST(Drives, FixedDrivesAreMountedNonRemovableBlockDevicesListedOnce)
{
    TempDir tmp;
    // A sysfs of three disks: sda (fixed, with partition sda1), sdb
    // (removable), sdc (fixed, partition sdc2), and a loop device.
    const std::string sys = tmp / "sys";
    writeFile(sys + "/devices/pci/block/sda/removable", "0\n");
    makeDir(sys + "/devices/pci/block/sda/sda1");
    writeFile(sys + "/devices/usb/block/sdb/removable", "1\n");
    writeFile(sys + "/devices/pci/block/sdc/removable", "0\n");
    makeDir(sys + "/devices/pci/block/sdc/sdc2");
    writeFile(sys + "/devices/virtual/block/loop0/removable", "0\n");
    makeDir(sys + "/class/block");
    ASSERT_EQ(::symlink("../../devices/pci/block/sda/sda1", (sys + "/class/block/sda1").c_str()), 0);
    ASSERT_EQ(::symlink("../../devices/usb/block/sdb", (sys + "/class/block/sdb").c_str()), 0);
    ASSERT_EQ(::symlink("../../devices/pci/block/sdc/sdc2", (sys + "/class/block/sdc2").c_str()), 0);
    ASSERT_EQ(::symlink("../../devices/virtual/block/loop0", (sys + "/class/block/loop0").c_str()), 0);

    for (const char* m : {"m1", "m2", "m3", "m4", "bind", "with space"})
        makeDir(tmp / m);
    writeFile(tmp / "mounts",
              mountLine("proc", "/proc", "proc") + mountLine("/dev/sda1", tmp / "m1", "ext4") +
                  mountLine("/dev/sdb", tmp / "m2", "vfat") + mountLine("/dev/loop0", tmp / "m3", "squashfs") +
                  mountLine("tmpfs", tmp / "m4", "tmpfs") + mountLine("/dev/sda1", tmp / "bind", "ext4") +
                  mountLine("/dev/sdc2", tmp / "with\\040space", "ext4") +
                  mountLine("/dev/sdc2", tmp / "gone", "ext4"));
    PosixDrives drives(tmp / "mounts", sys);
    EXPECT_EQ(drives.fixedDriveRoots(), (std::vector<std::string>{tmp / "m1/", tmp / "with space/"}));

    // The list never looks at a mount point (one that stopped answering
    // would hang it): one the user cannot even look at is listed all the same.
    makeDir(tmp / "closed/in");
    ::chmod((tmp / "closed").c_str(), 0700);
    ::chmod(tmp.path().c_str(), 0755);
    writeFile(tmp / "closed-mounts", mountLine("/dev/sdc2", tmp / "closed/in", "ext4", "8:34"));
    ::chmod((tmp / "closed-mounts").c_str(), 0644);
    ::chmod(sys.c_str(), 0755);
    const int listed = testsupport::runAsNobody([&] {
        return PosixDrives(tmp / "closed-mounts", sys).fixedDriveRoots() == std::vector<std::string>{tmp / "closed/in/"}
                   ? 0
                   : 1;
    });
    if (listed != 126) {
        EXPECT_EQ(listed, 0) << "as uid 65534";
    }
}

TEST(Drives, TheRootFileSystemRootIsASingleSlash)
{
    TempDir tmp;
    writeFile(tmp / "sys/class/block/vdz/removable", "0\n");
    writeFile(tmp / "mounts", mountLine("/dev/vdz", "/", "ext4"));
    EXPECT_EQ(PosixDrives(tmp / "mounts", tmp / "sys").fixedDriveRoots(), (std::vector<std::string>{"/"}));
}
