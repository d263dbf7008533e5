// "完成" means on disk: tessarin-cli sync flushes what it wrote (syncfs, or
// fsync of the files and of the directories renamed into) after its last
// rename and before it prints the completion text. Observed with strace,
// which records the system calls of the real command.
#include <fstream>
#include <gtest/gtest.h>

#include "support/RunCli.h"
#include "support/TempDir.h"

using namespace testsupport;

namespace {

bool isFlush(const std::string& line)
{
    for (const char* call : {" syncfs(", " fsync(", " fdatasync(", " sync()"})
        if (line.find(call) != std::string::npos)
            return true;
    return false;
}

bool isRename(const std::string& line)
{
    for (const char* call : {" rename(", " renameat(", " renameat2("})
        if (line.find(call) != std::string::npos)
            return true;
    return false;
}

} // namespace

TEST(Flush, TheSyncFlushesAfterItsLastRenameAndBeforeItsCompletionText)
{
    std::string out;
    if (runShell("strace -qq -e trace=none true 2>&1", out) != 0)
        GTEST_SKIP() << "strace is missing or may not trace here: " << out;
    TempDir tmp;
    writeFile(tmp / "one/a.txt", "a", 1600000000);
    writeFile(tmp / "one/sub/b.txt", "b", 1600000000);
    writeFile(tmp / "two/sub/b.txt", "old b", 1500000000);
    const std::string log = tmp / "trace.log";
    const std::string command = "strace -f -qq -o " + quoted(log) +
                                " -e trace=syncfs,fsync,fdatasync,sync,rename,renameat,renameat2,write " +
                                std::string(TESSARIN_CLI_PATH) + " sync one-to-two " + quoted(tmp / "one") + " " +
                                quoted(tmp / "two") + " 2>/dev/null";
    ASSERT_EQ(runShell(command, out), 0) << out;
    ASSERT_EQ(readFile(tmp / "two/sub/b.txt"), "b");

    std::ifstream in(log);
    std::string line;
    long lastRename = -1, firstOutput = -1, lastFlushBeforeOutput = -1;
    for (long n = 0; std::getline(in, line); ++n) {
        if (isRename(line))
            lastRename = n;
        else if (firstOutput < 0 && line.find(" write(1, ") != std::string::npos)
            firstOutput = n;
        else if (firstOutput < 0 && isFlush(line))
            lastFlushBeforeOutput = n;
    }
    ASSERT_GE(lastRename, 0) << "no copy was renamed into place";
    ASSERT_GE(firstOutput, 0) << "no completion text";
    EXPECT_GT(lastFlushBeforeOutput, lastRename) << "nothing is flushed after the last rename";
    EXPECT_LT(lastRename, firstOutput) << "the completion text came before the copies were in place";
}
