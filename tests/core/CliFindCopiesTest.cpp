#include <gtest/gtest.h>

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
    ASSERT_EQ(runCli("find-copies " + quoted(tmp / "r/chosen.txt") + " " + quoted(tmp / "r/") + " --same-extension",
                     out),
              0);
    EXPECT_EQ(out, tmp / "r/sub/copy.txt" + "\n");

    EXPECT_EQ(runCli("find-copies " + quoted(tmp / "missing") + " " + quoted(tmp / "r"), out), 1);
    EXPECT_EQ(out, "");
    EXPECT_EQ(runCli("find-copies", out), 2);
    EXPECT_EQ(runCli("find-copies a b c", out), 2);
    EXPECT_EQ(runCli("find-copies a --bogus", out), 2);
}
