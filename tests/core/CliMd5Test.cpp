#include <gtest/gtest.h>

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
