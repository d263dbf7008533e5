// Walks over trees holding links into the system's pseudo file systems and
// links back into themselves end; a file reached by several paths is one
// file; a compare can be interrupted.
#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "support/AsUser.h"
#include "support/RunCli.h"
#include "support/TempDir.h"

using namespace testsupport;

namespace {

// Seconds before a walk that does not end is killed; generous for sanitizer builds.
constexpr int kLimit = 10;
constexpr int kKilled = 137;

void link(const std::string& target, const std::string& at)
{
    makeParents(at);
    ASSERT_EQ(::symlink(target.c_str(), at.c_str()), 0) << at;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        out.push_back(text.substr(start, end - start));
    return out;
}

} // namespace

TEST(WalkEnds, CompareDoesNotEnterProcSysOrLoops)
{
    TempDir tmp;
    writeFile(tmp / "one/a.txt", "a", 1600000000);
    writeFile(tmp / "one/sub/b.txt", "b", 1600000000);
    link("/sys/class", tmp / "one/sys");
    link("/proc", tmp / "one/proc");
    link("/sys", tmp / "one/sub/allsys");
    link(".", tmp / "one/self");
    link("..", tmp / "one/sub/parent");
    makeDir(tmp / "two");

    std::string out;
    ASSERT_EQ(runCliWithin(kLimit, "compare " + quoted(tmp / "one") + " " + quoted(tmp / "two"), out), 0)
        << "the walk did not end within " << kLimit << " s";
    EXPECT_NE(out.find("→\t新建\ta.txt\n"), std::string::npos) << out.substr(0, 2000);
    EXPECT_NE(out.find("→\t新建\tsub/b.txt\n"), std::string::npos) << out.substr(0, 2000);
    for (const auto& line : lines(out)) {
        EXPECT_EQ(line.find("\tsys/"), std::string::npos) << line;
        EXPECT_EQ(line.find("\tproc/"), std::string::npos) << line;
        EXPECT_EQ(line.find("allsys/"), std::string::npos) << line;
    }
    // Each directory is entered once: a.txt and b.txt are listed once each, whatever way leads to them.
    EXPECT_EQ(lines(out).size(), 4u) << out.substr(0, 2000);
}

// copy.txt is reached as a/copy.txt, through the directory link b and
// through the file link c.txt: one file, listed once.
TEST(WalkEnds, FinderListsAFileReachedByThreePathsOnce)
{
    TempDir tmp;
    writeFile(tmp / "chosen.txt", "the same content", 1600000000);
    writeFile(tmp / "root/a/copy.txt", "the same content", 1600000000);
    writeFile(tmp / "root/a/other.txt", "other content!!!", 1600000000);
    link("a", tmp / "root/b");
    link("a/copy.txt", tmp / "root/c.txt");

    std::string out;
    ASSERT_EQ(runCliWithin(kLimit, "find-copies " + quoted(tmp / "chosen.txt") + " " + quoted(tmp / "root"), out), 0);
    EXPECT_EQ(lines(out).size(), 1u) << out;
}

// A link into /proc, whose files report size 0 and stream without end.
TEST(WalkEnds, FinderOverALinkIntoProcEnds)
{
    TempDir tmp;
    writeFile(tmp / "chosen.txt", "", 1600000000);
    writeFile(tmp / "root/empty.txt", "", 1600000000);
    link("/proc", tmp / "root/proc");
    link("/sys", tmp / "root/sys");

    std::string out;
    ASSERT_EQ(runCliWithin(kLimit, "find-copies " + quoted(tmp / "chosen.txt") + " " + quoted(tmp / "root"), out), 0)
        << "the search did not end within " << kLimit << " s";
    EXPECT_EQ(out.find("/proc/"), std::string::npos) << out.substr(0, 2000);
    EXPECT_EQ(out.find("/sys/"), std::string::npos) << out.substr(0, 2000);
}

// The search of /proc itself: a candidate is read no further than the
// chosen file's size plus one byte, so /proc/self/pagemap ends at once.
TEST(WalkEnds, FinderStartedInProcEnds)
{
    TempDir tmp;
    writeFile(tmp / "chosen.txt", "", 1600000000);
    std::string out;
    const int code = runCliWithin(kLimit, "find-copies " + quoted(tmp / "chosen.txt") + " /proc/self", out);
    EXPECT_NE(code, kKilled) << "the search did not end within " << kLimit << " s";
    EXPECT_EQ(out.find("pagemap"), std::string::npos) << out.substr(0, 2000);
}

TEST(WalkEnds, FinderRefusesARootItCannotSearch)
{
    TempDir tmp;
    writeFile(tmp / "chosen.txt", "x", 1600000000);
    writeFile(tmp / "plain-file", "x", 1600000000);
    const std::string chosen = quoted(tmp / "chosen.txt") + " ";
    std::string out;
    EXPECT_EQ(runCli("find-copies " + chosen + quoted(tmp / "missing"), out), 2);
    EXPECT_EQ(out, "");
    EXPECT_EQ(runCli("find-copies " + chosen + quoted(tmp / "plain-file"), out), 2);
    EXPECT_EQ(out, "");
    if (::geteuid() != 0)
        return;
    ::chmod(tmp.path().c_str(), 0755);
    ::chmod((tmp / "chosen.txt").c_str(), 0644);
    writeFile(tmp / "closed/x.txt", "x", 1600000000);
    ::chmod((tmp / "closed").c_str(), 0000);
    EXPECT_EQ(runCliAsNobody("find-copies " + chosen + quoted(tmp / "closed"), out), 2) << "as uid 65534";
    EXPECT_EQ(out, "");
}

// tessarin-cli compare stops on SIGINT with exit 130, the shell's code for
// it, also deep inside a walk: the signal goes once it is below "/".
TEST(WalkEnds, CompareStopsOnSigint)
{
    TempDir tmp;
    makeDir(tmp / "empty");
    const int code = testsupport::interruptCli({"compare", "/", tmp / "empty"}, tmp / "out", [&](pid_t child) {
        return testsupport::walksBelowRoot(child, tmp / "empty");
    });
    EXPECT_EQ(code, 130) << "-2: still running 10 s after SIGINT; -3: ended by the signal";
}
