// Permission cases on a real tree. Root bypasses permission bits, so the
// unreadable-directory cases run tessarin-cli as uid 65534.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/AsUser.h"
#include "support/RunCli.h"
#include "support/TempDir.h"

using namespace testsupport;

namespace {

// A tree for uid 65534: the test directory made searchable, the trees its own.
void handOver(const TempDir& tmp)
{
    ::chmod(tmp.path().c_str(), 0755);
    ASSERT_TRUE(giveToNobody(tmp / "one"));
    ASSERT_TRUE(giveToNobody(tmp / "two"));
}

} // namespace

// A directory that can be read but not searched (r--), and one that cannot be
// read at all: what they hold is unknown, so nothing under their copies in
// directory two is deleted, while the rest of the tree still synchronises.
TEST(UnprivilegedSync, UnexaminableDirectoriesKeepTheirCopies)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "dropping to uid 65534 needs root";
    TempDir tmp;
    writeFile(tmp / "one/locked/f.txt", "f", 1600000000);
    writeFile(tmp / "one/closed/g.txt", "g", 1600000000);
    writeFile(tmp / "one/new.txt", "new", 1600000000);
    writeFile(tmp / "two/locked/f.txt", "f", 1600000000);
    writeFile(tmp / "two/locked/only-two.txt", "o", 1600000000);
    writeFile(tmp / "two/closed/g.txt", "g", 1600000000);
    writeFile(tmp / "two/gone.txt", "extra", 1600000000);
    // A link entry needs a stat to tell its kind: refused, the directory is unknown too.
    makeDir(tmp / "one/linksonly");
    ASSERT_EQ(::symlink("../new.txt", (tmp / "one/linksonly/lnk").c_str()), 0);
    writeFile(tmp / "two/linksonly/lnk", "new", 1600000000);
    ASSERT_NO_FATAL_FAILURE(handOver(tmp));
    ::chmod((tmp / "one/locked").c_str(), 0444);
    ::chmod((tmp / "one/closed").c_str(), 0000);
    ::chmod((tmp / "one/linksonly").c_str(), 0444);

    const std::string dirs = quoted(tmp / "one") + " " + quoted(tmp / "two");
    std::string out;
    ASSERT_NE(runCliAsNobody("compare " + dirs, out), 126) << "could not drop to uid 65534";
    EXPECT_EQ(out.find("locked/"), std::string::npos) << out;
    EXPECT_EQ(out.find("closed/"), std::string::npos) << out;
    EXPECT_EQ(out.find("linksonly/"), std::string::npos) << out;
    runCliAsNobody("sync one-to-two " + dirs + " --delete-old-files", out);
    EXPECT_TRUE(exists(tmp / "two/locked/f.txt")) << out;
    EXPECT_TRUE(exists(tmp / "two/locked/only-two.txt")) << out;
    EXPECT_TRUE(exists(tmp / "two/closed/g.txt")) << out;
    EXPECT_TRUE(exists(tmp / "two/linksonly/lnk")) << out;
    // The readable part of the tree synchronised as usual.
    EXPECT_EQ(readFile(tmp / "two/new.txt"), "new");
    EXPECT_FALSE(exists(tmp / "two/gone.txt"));
}

// Run as root, a copy of a user's setuid or setgid program must not become
// root's: either it keeps the user's owner and group, or it loses those bits.
TEST(RootSync, SetIdBitsTravelOnlyWithTheirOwner)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "the case is a sync run as root";
    TempDir tmp;
    writeFile(tmp / "one/setuid-tool", "#!/bin/sh\nid -u\n", 1600000000);
    writeFile(tmp / "one/setgid-tool", "#!/bin/sh\nid -g\n", 1600000000);
    makeDir(tmp / "two");
    ASSERT_TRUE(giveToNobody(tmp / "one"));
    ::chmod((tmp / "one/setuid-tool").c_str(), 04755);
    ::chmod((tmp / "one/setgid-tool").c_str(), 02755);

    std::string out;
    runCli("sync one-to-two " + quoted(tmp / "one") + " " + quoted(tmp / "two"), out);
    for (const char* name : {"setuid-tool", "setgid-tool"}) {
        ASSERT_TRUE(exists(tmp / "two/" + name)) << out;
        const struct stat st = statOf(tmp / "two/" + name);
        const bool ownerKept = st.st_uid == kNobody && st.st_gid == kNobody;
        EXPECT_TRUE(ownerKept || (st.st_mode & 06000) == 0)
            << name << " copied as " << st.st_uid << ":" << st.st_gid << " mode " << std::oct << (st.st_mode & 07777);
    }
}

// Run as root, a user's private directory keeps its mode and owner: made
// 0755 and root's, everybody could read what the user keeps in it.
TEST(RootSync, APrivateDirectoryKeepsItsModeAndOwner)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "the case is a sync run as root";
    TempDir tmp;
    writeFile(tmp / "one/private/diary.txt", "dear diary", 1600000000);
    makeDir(tmp / "one/shared");
    makeDir(tmp / "two");
    ASSERT_TRUE(giveToNobody(tmp / "one"));
    ::chmod((tmp / "one/private").c_str(), 0700);
    ::chmod((tmp / "one/shared").c_str(), 02775);

    std::string out;
    runCli("sync one-to-two " + quoted(tmp / "one") + " " + quoted(tmp / "two"), out);
    ASSERT_TRUE(exists(tmp / "two/private/diary.txt")) << out;
    for (const auto& [name, mode] : {std::pair{"private", 0700u}, std::pair{"shared", 02775u}}) {
        const struct stat st = statOf(tmp / "two/" + name);
        EXPECT_EQ(st.st_mode & 07777, mode) << name;
        EXPECT_EQ(st.st_uid, kNobody) << name;
        EXPECT_EQ(st.st_gid, kNobody) << name;
    }
}
