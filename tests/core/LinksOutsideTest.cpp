// Links in directory two that lead out of it: a sync reads through them at
// most, never deletes, writes or changes anything outside the two roots,
// and reports the rows it could not carry out. Links of another user's that
// lead out of directory one are not even read.
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/AsUser.h"
#include "support/RunCli.h"
#include "support/TempDir.h"
#include "support/TreeCheck.h"
#include "support/VolumeImage.h"

using namespace testsupport;

namespace {

class LinksOutside : public ::testing::Test {
protected:
    void SetUp() override
    {
        writeFile(tmp_ / "outside/f1.txt", "outside one", 1600000000);
        writeFile(tmp_ / "outside/deep/f2.txt", "outside two", 1600000000);
        before_ = pathsUnder(outside());
    }

    std::string outside() const { return tmp_ / "outside"; }
    std::string one() const { return tmp_ / "one"; }
    std::string two() const { return tmp_ / "two"; }
    std::string dirs() const { return quoted(one()) + " " + quoted(two()); }

    void link(const std::string& target, const std::string& at)
    {
        makeParents(at);
        ASSERT_EQ(::symlink(target.c_str(), at.c_str()), 0);
    }

    void expectOutsideUnchanged() const
    {
        EXPECT_EQ(pathsUnder(outside()), before_);
        EXPECT_EQ(readFile(outside() + "/f1.txt"), "outside one");
        EXPECT_EQ(readFile(outside() + "/deep/f2.txt"), "outside two");
    }

    TempDir tmp_;
    std::vector<std::string> before_;
};

bool isLink(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

} // namespace

// extra/lnk leads out; extra2 cannot be removed since it holds a hidden .git.
TEST_F(LinksOutside, DeletingAnExtraDirectoryNeverDeletesThroughALink)
{
    writeFile(one() + "/keep.txt", "keep", 1600000000);
    writeFile(two() + "/keep.txt", "keep", 1600000000);
    link(outside(), two() + "/extra/lnk");
    writeFile(two() + "/extra2/.git/config", "[core]", 1600000000);
    writeFile(two() + "/extra2/tracked.txt", "t", 1600000000);

    std::string out;
    EXPECT_EQ(runCli("sync one-to-two " + dirs() + " --delete-old-files", out), 1) << out;
    expectOutsideUnchanged();
    EXPECT_NE(out.find("失败\t"), std::string::npos) << out;
    // The directory pass that could not remove extra2 says so.
    EXPECT_NE(out.find("失败\t目录\t" + two() + "/extra2"), std::string::npos) << out;
    EXPECT_TRUE(exists(two() + "/extra2/.git/config"));
}

// A link in directory two stands where directory one has a real directory:
// the copies must not land in the directory it leads to.
TEST_F(LinksOutside, CopiesNeverGoThroughADirectoryLink)
{
    writeFile(one() + "/data/new.txt", "new", 1700000000);
    writeFile(one() + "/data/f1.txt", "newer than outside", 1700000000);
    writeFile(one() + "/data/deep/f2.txt", "newer too", 1700000000);
    link(outside(), two() + "/data");

    std::string out;
    const int code = runCli("sync one-to-two " + dirs() + " --delete-old-files", out);
    expectOutsideUnchanged();
    // Either the rows are reported as failed, or the link was replaced by a
    // real directory holding the copies.
    if (code == 0) {
        EXPECT_FALSE(isLink(two() + "/data")) << out;
        EXPECT_EQ(readFile(two() + "/data/new.txt"), "new");
    } else {
        EXPECT_EQ(code, 1) << out;
        EXPECT_NE(out.find("失败\t"), std::string::npos) << out;
    }
}

// A file link in directory two to a private file outside: the "属性" row
// must not change the permission bits of the file outside.
TEST_F(LinksOutside, AttributeRowNeverChangesAFileOutside)
{
    ::chmod((outside() + "/f1.txt").c_str(), 0600);
    writeFile(one() + "/f1.txt", "outside one", 1600000000);
    ::chmod((one() + "/f1.txt").c_str(), 0644);
    link(outside() + "/f1.txt", two() + "/f1.txt");

    std::string out;
    ASSERT_EQ(runCli("compare " + dirs(), out), 0);
    ASSERT_NE(out.find("属性\tf1.txt"), std::string::npos) << "the case needs an attribute row: " << out;
    const int code = runCli("sync one-to-two " + dirs(), out);
    expectOutsideUnchanged();
    EXPECT_EQ(statOf(outside() + "/f1.txt").st_mode & 07777, 0600u) << out;
    if (code == 0)
        EXPECT_FALSE(isLink(two() + "/f1.txt")) << "success reported, yet nothing was changed: " << out;
    else
        EXPECT_EQ(code, 1) << out;
}

// Run by root, a sync of a tree that nobody owns onto an exFAT stick, which
// keeps no permissions: nobody's link to a root-only file outside the tree
// is neither listed nor copied, and the notice names it; nobody's link that
// stays inside is copied. Made root's own, the link is followed as before.
TEST_F(LinksOutside, AnotherUsersLinkOutOfTheSourceIsNeitherListedNorCopied)
{
    VolumeImage stick(VolumeKind::Exfat, 32, true);
    if (!stick.mounted())
        GTEST_SKIP() << stick.skipReason();
    writeFile(tmp_ / "private/shadow", "root only", 1600000000);
    ASSERT_EQ(::chmod((tmp_ / "private/shadow").c_str(), 0600), 0);
    writeFile(one() + "/real.txt", "inside", 1600000000);
    link("../private/shadow", one() + "/lnk");
    link("real.txt", one() + "/inner");
    ASSERT_TRUE(giveToNobody(one()));
    for (const char* name : {"/lnk", "/inner"})
        ASSERT_EQ(::lchown((one() + name).c_str(), kNobody, kNobody), 0);
    const std::string roots = quoted(one()) + " " + quoted(stick.path());

    std::string out;
    runCli("compare " + roots, out);
    EXPECT_NE(out.find("\tinner\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("\tlnk\n"), std::string::npos) << out;
    runShell(std::string(TESSARIN_CLI_PATH) + " sync one-to-two " + roots + " 2>&1", out);
    EXPECT_NE(out.find(one() + "/lnk: 是其他用户的链接，指向根目录之外，没有比较"), std::string::npos) << out;
    EXPECT_FALSE(exists(stick / "lnk"));
    // As nobody: the copy of the link inside is there to read, the root-only
    // content nowhere.
    EXPECT_EQ(runAsNobody([&] {
                  if (readFile(stick / "inner") != "inside")
                      return 1;
                  for (const auto& entry : std::filesystem::recursive_directory_iterator(stick.path()))
                      if (entry.is_regular_file() && readFile(entry.path()).find("root only") != std::string::npos)
                          return 2;
                  return 0;
              }),
              0);

    ASSERT_EQ(::lchown((one() + "/lnk").c_str(), 0, 0), 0);
    runCli("sync one-to-two " + roots, out);
    EXPECT_EQ(readFile(stick / "lnk"), "root only") << out;
}
