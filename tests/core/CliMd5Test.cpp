#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "platform/PosixFileSystem.h"
#include "support/RunCli.h"
#include "support/TempDir.h"

using testsupport::quoted;
using testsupport::runCli;
using testsupport::TempDir;
using testsupport::writeFile;

TEST(CliMd5, PrintsDigestTwoSpacesPathAndFailsOnAnUnreadableFile)
{
    TempDir tmp;
    writeFile(tmp / "abc.txt", "abc");
    writeFile(tmp / "empty", "");
    std::string out;
    ASSERT_EQ(runCli("md5 " + quoted(tmp / "abc.txt") + " " + quoted(tmp / "empty"), out), 0);
    EXPECT_EQ(out, "900150983cd24fb0d6963f7d28e17f72  " + tmp / "abc.txt" + "\n" +
                       "d41d8cd98f00b204e9800998ecf8427e  " + tmp / "empty" + "\n");

    // An unreadable file is not printed as empty; the others still are.
    EXPECT_EQ(runCli("md5 " + quoted(tmp / "missing") + " " + quoted(tmp / "abc.txt"), out), 1);
    EXPECT_EQ(out, "900150983cd24fb0d6963f7d28e17f72  " + tmp / "abc.txt" + "\n");
    EXPECT_EQ(runCli("md5", out), 2);
}

TEST(CliMd5, OutputIsByteForByteMd5sumsForEscapedNamesAndWithNull)
{
    TempDir tmp;
    const std::vector<std::string> names{"a\nb", "c\\d", "e\rf", "g\th", "plain"};
    std::string files;
    for (const std::string& name : names) {
        writeFile(tmp / name, name);
        files += " " + quoted(tmp / name);
    }
    std::string out, expected;
    for (const char* options : {"", "-z "}) {
        ASSERT_EQ(testsupport::runShell("md5sum " + std::string(options) + files, expected), 0);
        ASSERT_EQ(runCli("md5 " + std::string(options) + files, out), 0);
        EXPECT_EQ(out, expected) << options;
    }
    EXPECT_EQ(out.find('\\'), out.find("c\\d") + 1) << "raw with -z";
}

namespace {

// Runs tessarin-cli with its standard output on fd; returns its exit code
// and standard error.
int runCliOnto(int fd, const std::vector<std::string>& args, std::string& err)
{
    TempDir scratch;
    const pid_t child = ::fork();
    if (child == 0) {
        const int errFd = ::open((scratch / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(fd, 1);
        ::dup2(errFd, 2);
        testsupport::execCli(args);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    err = testsupport::readFile(scratch / "err");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(CliMd5, AFailedWriteToStandardOutputIsNamedWithItsCauseAndExitsOne)
{
    TempDir tmp;
    writeFile(tmp / "abc.txt", "abc");
    std::string err;
    const std::string prefix = "tessarin-cli: 写入标准输出失败：";
    // A full disk.
    const int full = ::open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    EXPECT_EQ(runCliOnto(full, {"md5", tmp / "abc.txt"}, err), 1);
    EXPECT_EQ(err, prefix + tessarin::platform::systemErrorText(ENOSPC) + "\n");
    EXPECT_EQ(runCliOnto(full, {"--help"}, err), 1);
    EXPECT_EQ(err, prefix + tessarin::platform::systemErrorText(ENOSPC) + "\n");
    ::close(full);
    // A pipe whose reader has gone: no silent death by SIGPIPE.
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ::close(fds[0]);
    EXPECT_EQ(runCliOnto(fds[1], {"md5", tmp / "abc.txt"}, err), 1);
    EXPECT_EQ(err, prefix + tessarin::platform::systemErrorText(EPIPE) + "\n");
    ::close(fds[1]);
    // A file that cannot be read is named with its cause.
    const int null = ::open("/dev/null", O_WRONLY);
    EXPECT_EQ(runCliOnto(null, {"md5", tmp / "missing"}, err), 1);
    EXPECT_EQ(err, "tessarin-cli: " + tmp / "missing" + ": " + tessarin::platform::systemErrorText(ENOENT) + "\n");
    ::close(null);
}
