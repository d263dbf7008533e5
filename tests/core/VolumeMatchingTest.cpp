#include <gtest/gtest.h>
#include <sys/stat.h>

#include "ExecutorFixture.h"
#include "support/TraitsFileSystem.h"
#include "sync/CaseFold.h"
#include "sync/FolderPass.h"

using namespace tessarin;
using namespace tessarin::sync;
using testsupport::isDir;
using testsupport::makeDir;
using testsupport::Strings;
using testsupport::writeFile;
using Permissions = platform::VolumeTraits::Permissions;

namespace {

platform::VolumeTraits fatLike()
{
    platform::VolumeTraits t;
    t.permissions = Permissions::ReadOnlyOnly;
    t.caseInsensitive = true;
    t.timeResolutionSeconds = 2;
    return t;
}

struct VolumeMatching : testsupport::ExecutorFixture {
    testsupport::TraitsFileSystem faking;
    VolumeMatching() { fs = &faking; }
    void twoIs(platform::VolumeTraits traits) { faking.traitsUnder[two] = traits; }
};

} // namespace

TEST(CaseFold, FoldsAsciiAndUnicodeLettersAndKeepsBytesThatAreNotUtf8)
{
    EXPECT_EQ(foldedCase("Readme.TXT"), "readme.txt");
    EXPECT_EQ(foldedCase("ÄRGER Ωmega"), "ärger ωmega");
    EXPECT_EQ(foldedCase("Straße"), "straße");
    // One file on a volume that ignores case: final sigma, the Kelvin sign.
    EXPECT_EQ(foldedCase("λόγος"), foldedCase("λόγοσ"));
    EXPECT_EQ(foldedCase("\u212a.txt"), "k.txt");
    // A stray byte, a cut sequence, an overlong form and a surrogate stay as they are.
    EXPECT_EQ(foldedCase("A\xff"
                         "B"),
              "a\xff"
              "b");
    EXPECT_EQ(foldedCase("X\xc3"), "x\xc3");
    EXPECT_EQ(foldedCase("\xc0\x81Q"), "\xc0\x81q");
    EXPECT_EQ(foldedCase("\xed\xa0\x80Z"), "\xed\xa0\x80z");
    EXPECT_EQ(foldedCase(""), "");
}

TEST_F(VolumeMatching, OnACaseInsensitiveSideNamesDifferingInCaseAreOnePair)
{
    writeFile(one + "/Readme.txt", "new", 1600000010);
    writeFile(one + "/Ärger.txt", "x", 1600000000);
    writeFile(one + "/sub/Deep.TXT", "x", 1600000000);
    writeFile(two + "/README.TXT", "old", 1600000000);
    writeFile(two + "/ärger.txt", "x", 1600000000);
    writeFile(two + "/sub/deep.txt", "x", 1600000000);
    writeFile(two + "/only.txt", "x", 1600000000);
    // Byte for byte, as on two case-sensitive volumes.
    compare();
    EXPECT_FALSE(session->namesFoldCase());
    EXPECT_EQ(rows(SyncSide::One).size(), 7u);

    twoIs(fatLike());
    compare();
    EXPECT_TRUE(session->namesFoldCase());
    EXPECT_EQ(rows(SyncSide::One), (Strings{"更新 Readme.txt", "删除 only.txt"}));
    EXPECT_EQ(rows(SyncSide::Two), (Strings{"新建 only.txt"}));
}

TEST_F(VolumeMatching, TheFirstMatchRuleHoldsAmongNamesThatFoldAlike)
{
    // On a case-sensitive side two names may fold alike: the first one listed
    // pairs; the other can only become the same file there, so it keeps a
    // row of its own, compare after compare.
    writeFile(one + "/a.TXT", "x", 1600000010);
    writeFile(one + "/a.txt", "x", 1600000000);
    writeFile(two + "/A.txt", "x", 1600000000);
    twoIs(fatLike());
    compare();
    EXPECT_EQ(rows(SyncSide::One), (Strings{"更新 a.TXT", "新建 a.txt"}));
    EXPECT_EQ(rows(SyncSide::Two), (Strings{"删除 a.txt"}));
    // An exact twin pairs first, whatever comes before it.
    ::unlink((two + "/A.txt").c_str());
    writeFile(two + "/a.txt", "x", 1600000000);
    compare();
    EXPECT_EQ(rows(SyncSide::One), (Strings{"新建 a.TXT"}));
    EXPECT_EQ(rows(SyncSide::Two), (Strings{"删除 a.TXT"}));
}

TEST_F(VolumeMatching, TimesCompareToTheCoarserSidesResolution)
{
    writeFile(one + "/odd.txt", "x", 1600000001);
    writeFile(two + "/odd.txt", "x", 1600000000); // 1 s older: FAT kept it to 2 s
    writeFile(one + "/two.txt", "x", 1600000002);
    writeFile(two + "/two.txt", "x", 1600000000); // 2 s older: really older
    compare();
    EXPECT_EQ(rows(SyncSide::One), (Strings{"更新 odd.txt", "更新 two.txt"}));
    platform::VolumeTraits fat = fatLike();
    fat.caseInsensitive = false;
    twoIs(fat);
    compare();
    EXPECT_EQ(session->timeResolutionSeconds(), 2);
    EXPECT_EQ(rows(SyncSide::One), (Strings{"更新 two.txt"}));
    EXPECT_EQ(rows(SyncSide::Two), Strings{});

    // FAT keeps local time: whole hours apart (within its 2 s, up to a day)
    // is a shifted zone. exFAT keeps its offset, so there an hour is an hour.
    writeFile(one + "/hour.txt", "x", 1600003601);
    writeFile(two + "/hour.txt", "x", 1600000000);
    writeFile(one + "/day.txt", "x", 1600000000 + 25 * 3600);
    writeFile(two + "/day.txt", "x", 1600000000);
    fat.family = platform::VolumeTraits::Family::Fat;
    twoIs(fat);
    compare();
    EXPECT_EQ(rows(SyncSide::One), (Strings{"更新 day.txt", "更新 two.txt"}));
    fat.family = platform::VolumeTraits::Family::Exfat;
    twoIs(fat);
    compare();
    EXPECT_EQ(rows(SyncSide::One), (Strings{"更新 day.txt", "更新 hour.txt", "更新 two.txt"}));
}

TEST_F(VolumeMatching, TimesOutsideTheFatYearsCompareAsTheVolumeHoldsThem)
{
    writeFile(one + "/old.txt", "x", 100);
    writeFile(two + "/old.txt", "x", platform::kEarliestFatTime);
    writeFile(one + "/far.txt", "x", 4431067200);
    writeFile(two + "/far.txt", "x", platform::kLatestFatTime);
    platform::VolumeTraits exfat;
    exfat.family = platform::VolumeTraits::Family::Exfat;
    twoIs(exfat);
    compare();
    EXPECT_EQ(rows(SyncSide::One), Strings{});
    EXPECT_EQ(rows(SyncSide::Two), Strings{});
}

TEST_F(VolumeMatching, AttributesCompareOnlyWhatBothVolumesKeep)
{
    writeFile(one + "/mode.txt", "x", 1600000000);
    writeFile(two + "/mode.txt", "x", 1600000000);
    writeFile(one + "/ro.txt", "x", 1600000000);
    writeFile(two + "/ro.txt", "x", 1600000000);
    ::chmod((one + "/mode.txt").c_str(), 0640);
    ::chmod((two + "/mode.txt").c_str(), 0777);
    ::chmod((one + "/ro.txt").c_str(), 0444);
    ::chmod((two + "/ro.txt").c_str(), 0777);
    compare();
    EXPECT_EQ(rows(SyncSide::One), (Strings{"属性 mode.txt", "属性 ro.txt"}));

    platform::VolumeTraits readOnlyOnly;
    readOnlyOnly.permissions = Permissions::ReadOnlyOnly;
    twoIs(readOnlyOnly);
    compare();
    EXPECT_EQ(rows(SyncSide::One), (Strings{"属性 ro.txt"})); // the read-only state still counts
    EXPECT_EQ(rows(SyncSide::Two), (Strings{"属性 ro.txt"}));

    platform::VolumeTraits none;
    none.permissions = Permissions::None;
    faking.traitsUnder.clear();
    faking.traitsUnder[one] = none; // either side is enough
    compare();
    EXPECT_EQ(rows(SyncSide::One), Strings{});
    EXPECT_EQ(rows(SyncSide::Two), Strings{});
}

// A side that keeps only the read-only state shows its other permission
// bits as one fixed value: its attribute row carries the read-only state alone.
TEST_F(VolumeMatching, AttributeRowsFromAVolumeWithoutPermissionBitsApplyOnlyTheReadOnlyState)
{
    writeFile(one + "/ro.txt", "x", 1600000000);
    writeFile(two + "/ro.txt", "x", 1600000000);
    ::chmod((one + "/ro.txt").c_str(), 0555);
    ::chmod((two + "/ro.txt").c_str(), 0640);
    platform::VolumeTraits readOnlyOnly;
    readOnlyOnly.permissions = Permissions::ReadOnlyOnly;
    faking.traitsUnder[one] = readOnlyOnly;
    options.syncAttributes = true;
    compare();
    ASSERT_EQ(rows(SyncSide::One), (Strings{"属性 ro.txt"}));
    const SyncReport report = executor().SyncOneToTwo(options);
    EXPECT_TRUE(report.failures.empty());
    EXPECT_EQ(modeOf(two + "/ro.txt"), 0440u);
}

TEST_F(VolumeMatching, TheDirectoryPassMatchesDirectoriesAsTheCompareDid)
{
    makeDir(one + "/Photos/Trip");
    makeDir(two + "/PHOTOS/trip");
    writeFile(two + "/PHOTOS/trip/keep.jpg", "x", 1600000000);
    writeFile(one + "/PHOTOS/trip/keep.jpg", "x", 1600000000);
    twoIs(fatLike());
    options.deleteOldFile = true;
    compare();
    FolderPass pass(*session, faking);
    pass.RemoveExtraFolders(SyncSide::One);
    pass.CreateMissingFolders(SyncSide::One);
    EXPECT_TRUE(isDir(two + "/PHOTOS/trip"));
    EXPECT_FALSE(isDir(two + "/Photos"));
    EXPECT_TRUE(testsupport::exists(two + "/PHOTOS/trip/keep.jpg"));
}

TEST_F(VolumeMatching, TwoWayAttributesOfAFoldedPairGoOneWayOnly)
{
    writeFile(one + "/Readme.txt", "x", 1600000000);
    writeFile(two + "/README.TXT", "x", 1600000000);
    ::chmod((one + "/Readme.txt").c_str(), 0600);
    ::chmod((two + "/README.TXT").c_str(), 0644);
    platform::VolumeTraits caseOnly;
    caseOnly.caseInsensitive = true;
    twoIs(caseOnly);
    options.syncAttributes = true;
    compare();
    ASSERT_EQ(rows(SyncSide::One), (Strings{"属性 Readme.txt"}));
    ASSERT_EQ(rows(SyncSide::Two), (Strings{"属性 README.TXT"}));
    executor().SyncBothWays(options);
    // At equal times directory one's attributes win: the "←" row is passed
    // over, so directory one's copy keeps its mode. (The "→" row names
    // two/Readme.txt, which only a really case-insensitive volume resolves.)
    EXPECT_EQ(modeOf(one + "/Readme.txt"), 0600u);
}
