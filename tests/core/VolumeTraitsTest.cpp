#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/MountInfo.h"
#include "platform/NameRules.h"
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
    // sshfs keeps what the server keeps, but only SFTP's times; other FUSE
    // file systems and unknown kinds keep everything.
    EXPECT_FALSE(needsCaseProbe(kMagicFuse, "fuse.sshfs"));
    VolumeTraits sftp;
    sftp.sftpTimes = true;
    EXPECT_EQ(decideVolumeTraits(kMagicFuse, "fuse.sshfs", CaseProbe::NotMade), sftp);
    EXPECT_EQ(decideVolumeTraits(kMagicFuse, "fuse.rclone", CaseProbe::NotMade), VolumeTraits{});
    EXPECT_EQ(decideVolumeTraits(0xEF53, "ext4", CaseProbe::NotMade), VolumeTraits{});
    EXPECT_EQ(decideVolumeTraits(0x01021994, "", CaseProbe::NotMade), VolumeTraits{});
}

TEST(VolumeTraits, MountinfoGivesTheTopmostMountOfTheDeviceWithItsEscapedPoint)
{
    const auto mounts =
        parseMountInfo("22 1 0:21 / /proc rw,nosuid - proc proc rw\n"
                       "40 22 7:3 / /mnt/usb\\040stick rw,relatime shared:5 - fuseblk /dev/loop3 rw,user_id=0\n"
                       "41 22 0:50 / /media/fat rw - fuse.fusefat fusefat rw\n"
                       "42 40 7:3 / /mnt/again rw - fuseblk /dev/loop3 rw\n");
    const auto usb = findMount(mounts, 7, 3);
    ASSERT_TRUE(usb);
    EXPECT_EQ(usb->type, "fuseblk");
    EXPECT_EQ(usb->mountPoint, "/mnt/again");
    const auto fat = findMount(mounts, 0, 50);
    ASSERT_TRUE(fat);
    EXPECT_EQ(fat->type, "fuse.fusefat");
    EXPECT_FALSE(findMount(mounts, 0, 5));

    const auto spaced = parseMountInfo("40 22 7:4 / /mnt/usb\\040stick rw - fuseblk /dev/loop4 rw\n");
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

TEST(VolumeTraits, NamesTheWindowsFamiliesCannotHold)
{
    const auto refusal = [](const std::string& name, Family family) { return nameRefusal(name, family).value_or(""); };
    EXPECT_EQ(refusal("a:b.txt", Family::Ntfs), "名称中含有“:”，NTFS卷不能保存这样的名称");
    EXPECT_EQ(refusal("a\x01"
                      "b",
                      Family::Exfat),
              "名称中含有“\\x01”，exFAT卷不能保存这样的名称");
    for (const char c : std::string("\"*<>?\\|\t\x1f"))
        EXPECT_NE(refusal(std::string("a") + c, Family::Exfat), "") << int(c);
    EXPECT_EQ(refusal("name.", Family::Fat), "名称以“.”结尾，FAT卷不能保存这样的名称");
    EXPECT_NE(refusal("name ", Family::Ntfs), "");
    EXPECT_EQ(refusal(".hidden a.b", Family::Fat), "");
    // 255 UTF-16 units, not bytes: three bytes of UTF-8 are one unit, four are two.
    std::string chinese, emoji;
    for (int i = 0; i < 255; ++i)
        chinese += "中";
    for (int i = 0; i < 127; ++i)
        emoji += "\xf0\x9f\x98\x80";
    EXPECT_EQ(refusal(chinese, Family::Exfat), "");
    EXPECT_EQ(refusal(emoji + "a", Family::Exfat), "");
    EXPECT_NE(refusal(emoji + "ab", Family::Exfat), "");
    EXPECT_NE(refusal(std::string(256, 'a'), Family::Ntfs), "");
    // Bytes that are not UTF-8: a Latin-1 letter, an overlong "/", a surrogate.
    EXPECT_EQ(refusal("caf\xe9.txt", Family::Ntfs), "名称中含有无效的UTF-8字节“\\xe9”，NTFS卷不能保存这样的名称");
    EXPECT_NE(refusal("\xc0\xaf", Family::Fat), "");
    EXPECT_NE(refusal("\xed\xa0\x80", Family::Fat), "");
    EXPECT_EQ(refusal("café.txt", Family::Fat), "");
    // Device names, on FAT only.
    EXPECT_EQ(refusal("con.txt", Family::Fat), "名称“con”是保留的设备名，FAT卷不能保存这样的名称");
    for (const char* name : {"CON", "Prn", "aux.tar.gz", "NUL", "COM1", "lpt9.log"})
        EXPECT_NE(refusal(name, Family::Fat), "") << name;
    for (const char* name : {"COM0", "LPT10", "CONSOLE", "xcon", "nul_"})
        EXPECT_EQ(refusal(name, Family::Fat), "") << name;
    EXPECT_EQ(refusal("CON", Family::Ntfs), "");
    EXPECT_EQ(refusal("a:b?\xff\t.", Family::Posix), "");

    // Onto this machine's temporary directory any name goes.
    TempDir tmp;
    makeDir(tmp / "two");
    writeFile(tmp / "source", "s");
    PosixFileSystem fs;
    EXPECT_TRUE(fs.createDirectory(TreePath{tmp / "two", "a:b?"}, std::nullopt).ok());
    EXPECT_TRUE(fs.copyFile(tmp / "source", TreePath{tmp / "two", "a:b?/c\\d*"}).ok());
}
