#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/ExecutablePath.h"
#include "support/TempDir.h"

using tessarin::platform::besideExecutable;
using tessarin::platform::executablePath;
using tessarin::platform::programFile;

TEST(ExecutablePath, ReplacesTheFileNameOnly)
{
    EXPECT_EQ(besideExecutable("/opt/tessarin/bin/tessarin", "软件帮助.html"), "/opt/tessarin/bin/软件帮助.html");
    EXPECT_EQ(besideExecutable("/tessarin", "settings.ini"), "/settings.ini");
    EXPECT_EQ(besideExecutable("/a.b/c", "x"), "/a.b/x");
}

TEST(ExecutablePath, IsTheRunningProgramWhateverTheWorkingDirectory)
{
    const std::string before = executablePath();
    ASSERT_FALSE(before.empty());
    EXPECT_EQ(before.front(), '/');
    EXPECT_NE(before.find("core_tests"), std::string::npos);
    char* previous = ::getcwd(nullptr, 0);
    ASSERT_EQ(::chdir("/"), 0);
    EXPECT_EQ(executablePath(), before);
    ASSERT_EQ(::chdir(previous), 0);
    std::free(previous);
}

TEST(ExecutablePath, AnInstalledProgramFindsItsFilesUnderShare)
{
    testsupport::TempDir prefix;
    const std::string help = "软件帮助.html";
    // Before share/tessarin exists, PREFIX/bin is a folder like any other.
    EXPECT_EQ(programFile(prefix / "bin/tessarin", help), prefix / "bin/" + help);
    testsupport::writeFile(prefix / "share/tessarin/" + help, "");
    EXPECT_EQ(programFile(prefix / "bin/tessarin", help), prefix / "share/tessarin/" + help);
    // A build folder keeps its files beside the program, whatever lies above it.
    EXPECT_EQ(programFile(prefix / "app/tessarin", help), prefix / "app/" + help);
    EXPECT_EQ(programFile(prefix / "robin/tessarin", help), prefix / "robin/" + help);
}
