// A compare under way in the main window stops on Esc and on closing.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>

#include "app/FileListModel.h"
#include "app/OperationListModel.h"
#include "app/TForm1.h"
#include "gui/MainWindowSupport.h"
#include "platform/PosixFileSystem.h"
#include "support/TempDir.h"

using namespace testsupport;
using tessarin::app::TForm1;

namespace {

// Runs an action on the GUI thread from inside the walk of directory one,
// as a user's key press or click arrives while the compare processes events.
class ActingFileSystem : public tessarin::platform::PosixFileSystem {
public:
    std::string actAt;
    std::function<void()> action;
    bool readDirectory(const std::string& directory, bool wantDirectories, std::string_view mask,
                       tessarin::platform::DirectoryContents& out) override
    {
        if (directory == actAt && action)
            std::exchange(action, nullptr)();
        return PosixFileSystem::readDirectory(directory, wantDirectories, mask, out);
    }
};

class CompareStop : public ::testing::Test {
protected:
    CompareStop()
    {
        writeFile(dir1 + "/a/x.txt", "x", 1000000000);
        writeFile(dir1 + "/b/y.txt", "y", 1000000000);
        writeFile(dir1 + "/z.txt", "z", 1000000000);
        writeFile(dir2 + "/w.txt", "w", 1000000000);
        fs.actAt = dir1 + "/b/";
        form.setPrompt(&prompt);
        form.edDir1->setCurrentText(QString::fromStdString(dir1));
        form.edDir2->setCurrentText(QString::fromStdString(dir2));
        form.show();
    }

    void expectStoppedAndEmpty()
    {
        EXPECT_EQ(form.statusText(), "比较已停止。");
        for (int side = 1; side <= 2; ++side) {
            EXPECT_EQ(form.fileListModel(side)->rowCount(), 0);
            EXPECT_EQ(form.operationListModel(side)->rowCount(), 0);
        }
        EXPECT_EQ(form.Label3->text(), "共0个文件");
        EXPECT_EQ(form.Label4->text(), "共0个文件");
        EXPECT_TRUE(prompt.shown.empty());
    }

    TempDir temp;
    std::string dir1 = temp / "one";
    std::string dir2 = temp / "two";
    ScriptedPrompt prompt;
    ActingFileSystem fs;
    tessarin::app::TForm1 form{fs};
};

} // namespace

TEST_F(CompareStop, EscDuringACompareStopsItAndNothingCanBeSynchronised)
{
    fs.action = [&] { QTest::keyClick(&form, Qt::Key_Escape); };
    form.ToolButton1->click();
    expectStoppedAndEmpty();
    EXPECT_FALSE(form.commandRunning());
    // A synchronisation on the stopped compare's rows does nothing at all.
    form.BitBtn2->click();
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_TRUE(exists(dir2 + "/w.txt"));
    EXPECT_FALSE(exists(dir2 + "/z.txt"));

    // Esc outside a compare means nothing; the next compare runs whole.
    QTest::keyClick(&form, Qt::Key_Escape);
    form.ToolButton1->click();
    EXPECT_EQ(form.statusText(), "准备就绪。");
    EXPECT_EQ(form.fileListModel(1)->rowCount(), 3);
    EXPECT_EQ(form.operationListModel(1)->rowCount(), 4);
}

TEST_F(CompareStop, ClosingTheWindowDuringACompareStopsItAndCloses)
{
    fs.action = [&] { form.close(); };
    form.ToolButton1->click();
    expectStoppedAndEmpty();
    EXPECT_FALSE(form.isVisible());
}
