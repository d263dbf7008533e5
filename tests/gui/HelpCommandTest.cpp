#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

#include "dialogs/Help.h"
#include "support/RecordingShell.h"
#include "support/TempDir.h"

namespace {

// Runs from another working directory and comes back.
class ElsewhereDirectory {
public:
    explicit ElsewhereDirectory(const std::string& path) : back_(std::filesystem::current_path())
    {
        std::filesystem::current_path(path);
    }
    ~ElsewhereDirectory() { std::filesystem::current_path(back_); }

private:
    std::filesystem::path back_;
};

TEST(HelpCommand, OpensTheHelpFileBesideTheExecutableFromAnyWorkingDirectory)
{
    const std::string expected = std::filesystem::canonical("/proc/self/exe").parent_path().string() + "/软件帮助.html";
    testsupport::TempDir elsewhere;
    testsupport::RecordingShell shell;
    {
        ElsewhereDirectory cwd(elsewhere.path());
        EXPECT_EQ(tessarin::dialogs::helpFilePath(), expected);
        tessarin::dialogs::openHelp(shell);
    }
    EXPECT_EQ(shell.files, std::vector<std::string>{expected});
    EXPECT_TRUE(shell.urls.empty());
}

} // namespace
