// A directory pass that cannot remove or create a directory is a failure,
// reported like a failed row ("目录", the path, the reason) with exit 1.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/AsUser.h"
#include "support/RunCli.h"
#include "support/TempDir.h"

using namespace testsupport;

namespace {

std::string dirsOf(const TempDir& tmp)
{
    return quoted(tmp / "one") + " " + quoted(tmp / "two");
}

bool succeeded(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

} // namespace

// An extra directory holding a hidden directory: the listing does not show
// .git, so the removal of "extra" fails and must say so.
TEST(FailedDirectoryPass, AnExtraDirectoryHoldingAHiddenOneIsReported)
{
    TempDir tmp;
    writeFile(tmp / "one/keep.txt", "k", 1600000000);
    writeFile(tmp / "two/keep.txt", "k", 1600000000);
    writeFile(tmp / "one/new.txt", "a row that succeeds", 1600000000);
    writeFile(tmp / "two/extra/.git/HEAD", "ref", 1600000000);
    std::string out;
    EXPECT_EQ(runCli("sync one-to-two " + dirsOf(tmp) + " --delete-old-files", out), 1) << out;
    EXPECT_NE(out.find("\n失败\t目录\t" + tmp / "two/extra"), std::string::npos) << out;
    EXPECT_TRUE(exists(tmp / "two/extra/.git/HEAD"));
}

TEST(FailedDirectoryPass, AnImmutableExtraDirectoryIsReported)
{
    TempDir tmp;
    writeFile(tmp / "one/keep.txt", "k", 1600000000);
    writeFile(tmp / "two/keep.txt", "k", 1600000000);
    writeFile(tmp / "one/new.txt", "a row that succeeds", 1600000000);
    makeDir(tmp / "two/frozen");
    if (!succeeded("chattr +i " + quoted(tmp / "two/frozen")))
        GTEST_SKIP() << "chattr +i refused here";
    std::string out;
    const int code = runCli("sync one-to-two " + dirsOf(tmp) + " --delete-old-files", out);
    succeeded("chattr -i " + quoted(tmp / "two/frozen"));
    EXPECT_EQ(code, 1) << out;
    EXPECT_NE(out.find("\n失败\t目录\t" + tmp / "two/frozen"), std::string::npos) << out;
}

// locked is read-only to the user: locked/sub cannot be made, while the
// row beside it is copied.
TEST(FailedDirectoryPass, ADirectoryThatCannotBeCreatedIsReported)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "dropping to uid 65534 needs root";
    TempDir tmp;
    makeDir(tmp / "one/locked/sub");
    writeFile(tmp / "one/top.txt", "top", 1600000000);
    makeDir(tmp / "two/locked");
    ::chmod(tmp.path().c_str(), 0755);
    ASSERT_TRUE(giveToNobody(tmp / "one"));
    ASSERT_TRUE(giveToNobody(tmp / "two"));
    ::chmod((tmp / "two/locked").c_str(), 0555);
    std::string out;
    const int code = runCliAsNobody("sync one-to-two " + dirsOf(tmp), out);
    ASSERT_NE(code, 126) << "could not drop to uid 65534";
    EXPECT_EQ(code, 1) << out;
    EXPECT_NE(out.find("\n失败\t目录\t" + tmp / "two/locked/sub"), std::string::npos) << out;
    EXPECT_EQ(readFile(tmp / "two/top.txt"), "top");
}
