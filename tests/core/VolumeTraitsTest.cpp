#include <fcntl.h>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

#include "platform/PathOpen.h"
#include "platform/PosixFileSystem.h"
#include "platform/PosixVolumes.h"
#include "support/TempDir.h"

using namespace tessarin::platform;
using testsupport::makeDir;
using testsupport::TempDir;
using testsupport::writeFile;
using Permissions = VolumeTraits::Permissions;
using Family = VolumeTraits::Family;

namespace {

VolumeTraits traits(Permissions permissions, bool caseInsensitive, int seconds, Family family)
{
    VolumeTraits t;
    t.family = family;
    t.permissions = permissions;
    t.caseInsensitive = caseInsensitive;
    t.timeResolutionSeconds = seconds;
    return t;
}

} // namespace

TEST(VolumeTraits, KernelDriversKeepTheReadOnlyStateAndTheirOwnCaseAndTime)
{
    EXPECT_EQ(decideVolumeTraits(kMagicMsdos, "vfat", CaseProbe::NotMade),
              traits(Permissions::ReadOnlyOnly, true, 2, Family::Fat));
    EXPECT_EQ(decideVolumeTraits(kMagicExfat, "exfat", CaseProbe::NotMade),
              traits(Permissions::ReadOnlyOnly, true, 1, Family::Exfat));
    // NTFS keeps case apart unless the probe found otherwise.
    EXPECT_TRUE(needsCaseProbe(kMagicNtfs3, "ntfs3"));
    EXPECT_EQ(decideVolumeTraits(kMagicNtfs3, "ntfs3", CaseProbe::Sensitive),
              traits(Permissions::ReadOnlyOnly, false, 1, Family::Ntfs));
    EXPECT_EQ(decideVolumeTraits(kMagicNtfs3, "ntfs3", CaseProbe::Insensitive),
              traits(Permissions::ReadOnlyOnly, true, 1, Family::Ntfs));
    EXPECT_EQ(decideVolumeTraits(kMagicNtfs, "ntfs", CaseProbe::NoEntry),
              traits(Permissions::ReadOnlyOnly, false, 1, Family::Ntfs));
    EXPECT_FALSE(needsCaseProbe(kMagicMsdos, "vfat"));
    EXPECT_FALSE(needsCaseProbe(kMagicExfat, "exfat"));
}

TEST(VolumeTraits, FuseDriversAreToldApartByTheirMountType)
{
    EXPECT_FALSE(needsCaseProbe(kMagicFuse, "fuse.fusefat"));
    EXPECT_EQ(decideVolumeTraits(kMagicFuse, "fuse.fusefat", CaseProbe::NotMade),
              traits(Permissions::None, true, 2, Family::Fat));
    // fuseblk: exfat-fuse or ntfs-3g, case left to the probe; without an
    // entry to try, matching without regard to case is the safe side.
    EXPECT_TRUE(needsCaseProbe(kMagicFuse, "fuseblk"));
    EXPECT_EQ(decideVolumeTraits(kMagicFuse, "fuseblk", CaseProbe::Insensitive),
              traits(Permissions::None, true, 1, Family::Exfat));
    EXPECT_EQ(decideVolumeTraits(kMagicFuse, "fuseblk", CaseProbe::Sensitive, Family::Ntfs),
              traits(Permissions::None, false, 1, Family::Ntfs));
    EXPECT_EQ(decideVolumeTraits(kMagicFuse, "fuseblk", CaseProbe::NoEntry),
              traits(Permissions::None, true, 1, Family::Exfat));
    EXPECT_EQ(decideVolumeTraits(kMagicFuse, "fuse.ntfs-3g", CaseProbe::NoEntry),
              traits(Permissions::None, false, 1, Family::Ntfs));
    // Other FUSE file systems (sshfs and the like) and unknown kinds keep everything.
    EXPECT_FALSE(needsCaseProbe(kMagicFuse, "fuse.sshfs"));
    EXPECT_EQ(decideVolumeTraits(kMagicFuse, "fuse.sshfs", CaseProbe::NotMade), VolumeTraits{});
    EXPECT_EQ(decideVolumeTraits(0xEF53, "ext4", CaseProbe::NotMade), VolumeTraits{});
    EXPECT_EQ(decideVolumeTraits(0x01021994, "", CaseProbe::NotMade), VolumeTraits{});
}

TEST(VolumeTraits, MountinfoGivesTheTopmostMountOfTheDeviceWithItsEscapedPoint)
{
    std::istringstream mountinfo(
        "22 1 0:21 / /proc rw,nosuid - proc proc rw\n"
        "40 22 7:3 / /mnt/usb\\040stick rw,relatime shared:5 - fuseblk /dev/loop3 rw,user_id=0\n"
        "41 22 0:50 / /media/fat rw - fuse.fusefat fusefat rw\n"
        "42 40 7:3 / /mnt/again rw - fuseblk /dev/loop3 rw\n");
    const auto usb = findMount(mountinfo, 7, 3);
    ASSERT_TRUE(usb);
    EXPECT_EQ(usb->type, "fuseblk");
    EXPECT_EQ(usb->mountPoint, "/mnt/again");
    mountinfo.clear();
    mountinfo.seekg(0);
    const auto fat = findMount(mountinfo, 0, 50);
    ASSERT_TRUE(fat);
    EXPECT_EQ(fat->type, "fuse.fusefat");
    mountinfo.clear();
    mountinfo.seekg(0);
    EXPECT_FALSE(findMount(mountinfo, 0, 5));

    std::istringstream spaced("40 22 7:4 / /mnt/usb\\040stick rw - fuseblk /dev/loop4 rw\n");
    EXPECT_EQ(findMount(spaced, 7, 4)->mountPoint, "/mnt/usb stick");
}

TEST(VolumeTraits, TheProbeFindsThisMachinesTemporaryDirectoryCaseSensitive)
{
    TempDir tmp;
    makeDir(tmp / "probe");
    {
        const Fd dir(openPath(tmp / "probe", O_RDONLY | O_DIRECTORY));
        EXPECT_EQ(probeLetterCase(dir.get()), CaseProbe::NoEntry);
    }
    writeFile(tmp / "probe/123", "");    // no letter: not tried
    writeFile(tmp / "probe/Readme", ""); // README does not exist
    {
        const Fd dir(openPath(tmp / "probe", O_RDONLY | O_DIRECTORY));
        EXPECT_EQ(probeLetterCase(dir.get()), CaseProbe::Sensitive);
    }
    // Both spellings present as different files: still sensitive.
    writeFile(tmp / "probe/rEADME", "");
    const Fd dir(openPath(tmp / "probe", O_RDONLY | O_DIRECTORY));
    EXPECT_EQ(probeLetterCase(dir.get()), CaseProbe::Sensitive);

    PosixFileSystem fs;
    EXPECT_EQ(fs.volumeTraits(tmp / "probe/"), VolumeTraits{});
    EXPECT_EQ(fs.volumeTraits(tmp / "missing/"), VolumeTraits{});
}
