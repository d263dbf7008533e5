#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "support/RunCli.h"
#include "support/TempDir.h"

using testsupport::quoted;
using testsupport::runCli;
using testsupport::TempDir;
using testsupport::writeFile;

TEST(CliFindCopies, PrintsEveryCopyUnderTheRoot)
{
    TempDir tmp;
    writeFile(tmp / "r/chosen.txt", "same");
    writeFile(tmp / "r/sub/copy.txt", "same");
    writeFile(tmp / "r/copy.bin", "same");
    writeFile(tmp / "r/other.txt", "different");
    std::string out;
    ASSERT_EQ(runCli("find-copies " + quoted(tmp / "r/chosen.txt") + " " + quoted(tmp / "r"), out), 0);
    EXPECT_EQ(out, tmp / "r/sub/copy.txt" + "\n" + tmp / "r/copy.bin" + "\n");
    ASSERT_EQ(
        runCli("find-copies " + quoted(tmp / "r/chosen.txt") + " " + quoted(tmp / "r/") + " --same-extension", out), 0);
    EXPECT_EQ(out, tmp / "r/sub/copy.txt" + "\n");

    EXPECT_EQ(runCli("find-copies " + quoted(tmp / "missing") + " " + quoted(tmp / "r"), out), 1);
    EXPECT_EQ(out, "");
    EXPECT_EQ(runCli("find-copies", out), 2);
    EXPECT_EQ(runCli("find-copies a b c", out), 2);
    EXPECT_EQ(runCli("find-copies a --bogus", out), 2);
}

namespace {

// Runs tessarin-cli with the arguments in a child, as the user nobody when
// asked (root reads every directory); returns its exit code and standard error.
int runCliAs(bool unprivileged, const std::vector<std::string>& args, std::string& err)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipeFds[1], 2);
        ::close(pipeFds[0]);
        if (unprivileged && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(99);
        std::vector<char*> argv{const_cast<char*>(TESSARIN_CLI_PATH)};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(TESSARIN_CLI_PATH, argv.data());
        ::_exit(98);
    }
    ::close(pipeFds[1]);
    err.clear();
    char buf[512];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buf, sizeof buf)) > 0)
        err.append(buf, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(CliFindCopies, ARootThatIsMissingNotADirectoryOrUnreadableIsAnErrorWithExit2)
{
    TempDir tmp;
    ASSERT_EQ(::chmod(tmp.path().c_str(), 0755), 0);
    writeFile(tmp / "chosen", "x");
    writeFile(tmp / "locked/copy", "x");
    ASSERT_EQ(::chmod((tmp / "locked").c_str(), 0), 0);
    ASSERT_EQ(::chmod((tmp / "chosen").c_str(), 0644), 0);
    std::string err;
    EXPECT_EQ(runCliAs(false, {"find-copies", tmp / "chosen", tmp / "missing"}, err), 2);
    EXPECT_EQ(err, "tessarin-cli: " + tmp / "missing" + ": 没有这个目录\n");
    EXPECT_EQ(runCliAs(false, {"find-copies", tmp / "chosen", tmp / "chosen"}, err), 2);
    EXPECT_EQ(err, "tessarin-cli: " + tmp / "chosen" + ": 不是目录\n");
    EXPECT_EQ(runCliAs(true, {"find-copies", tmp / "chosen", tmp / "locked"}, err), 2);
    EXPECT_EQ(err, "tessarin-cli: " + tmp / "locked" + ": 无法读取：权限不够\n");
    // The same root, readable: the copy is found.
    EXPECT_EQ(runCliAs(false, {"find-copies", tmp / "chosen", tmp / "locked"}, err), 0);
    EXPECT_EQ(err, "");
}

TEST(CliFindCopies, CtrlCStopsTheSearchWithExit130)
{
    // Large sparse files of one size: each takes a while to digest. The
    // subdirectory's copy is found first and printed at once; the files of
    // the root, differing only in their last byte, come after it.
    TempDir tmp;
    constexpr off_t kSize = 64 << 20;
    auto sparse = [&](const std::string& path, bool lastByte) {
        writeFile(path, "");
        ASSERT_EQ(::truncate(path.c_str(), kSize), 0);
        if (lastByte) {
            const int fd = ::open(path.c_str(), O_WRONLY);
            ASSERT_EQ(::pwrite(fd, "x", 1, kSize - 1), 1);
            ::close(fd);
        }
    };
    sparse(tmp / "chosen", false);
    sparse(tmp / "r/sub/copy", false);
    for (int i = 0; i < 8; ++i)
        sparse(tmp / "r/other" + std::to_string(i), true);
    const int code = testsupport::interruptCli({"find-copies", tmp / "chosen", tmp / "r"}, tmp / "out",
                                               [&](pid_t) { return !testsupport::readFile(tmp / "out").empty(); });
    EXPECT_EQ(code, 130);
    EXPECT_EQ(testsupport::readFile(tmp / "out"), tmp / "r/sub/copy" + "\n");
}

TEST(CliFindCopies, NamesAreEscapedOrRawWithNullAndTheCountIsShownOnATerminal)
{
    TempDir tmp;
    writeFile(tmp / "chosen", "same");
    writeFile(tmp / "r/tab\there", "same");
    std::string out;
    ASSERT_EQ(runCli("find-copies " + quoted(tmp / "chosen") + " " + quoted(tmp / "r"), out), 0);
    EXPECT_EQ(out, "\\" + tmp / "r/tab\\there" + "\n");
    ASSERT_EQ(runCli("find-copies -z " + quoted(tmp / "chosen") + " " + quoted(tmp / "r"), out), 0);
    EXPECT_EQ(out, tmp / "r/tab\there" + std::string(1, '\0'));
    // Under a pseudo-terminal: the copy, the count drawn after it, cleared at the end.
    testsupport::runShell("script -qec " +
                              quoted(std::string(TESSARIN_CLI_PATH) + " find-copies " + quoted(tmp / "chosen") + " " +
                                     quoted(tmp / "r")) +
                              " /dev/null",
                          out);
    EXPECT_EQ(out, "\\" + tmp / "r/tab\\there" + "\r\n\r\033[K已搜索1个文件，找到1个副本\r\033[K");
}
