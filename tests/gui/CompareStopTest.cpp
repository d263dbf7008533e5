// A compare or synchronisation under way in the main window stops on Esc and
// on closing.
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
    // Run on the first copy of a synchronisation, on the GUI thread for a new file.
    std::function<void()> copyAction;
    int copies = 0;
    tessarin::platform::FsResult copyFile(const tessarin::platform::TreePath& source,
                                          const tessarin::platform::TreePath& target,
                                          const tessarin::platform::TargetExpectation& expected) override
    {
        ++copies;
        if (copyAction)
            std::exchange(copyAction, nullptr)();
        return PosixFileSystem::copyFile(source, target, expected);
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

TEST_F(CompareStop, EscDuringASynchronisationRunsNoLaterRowAndTheListsShowWhatIsLeft)
{
    form.ToolButton1->click();
    ASSERT_EQ(form.operationListModel(1)->rowCount(), 4); // three new files, one old file kept
    fs.copyAction = [&] {
        QTest::keyClick(&form, Qt::Key_Escape);
        EXPECT_EQ(form.statusText(), "正在停止同步...");
        form.BitBtn2->click(); // a second command meanwhile is not begun
    };
    form.BitBtn2->click();
    EXPECT_EQ(fs.copies, 1);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "同步已停止，有2个操作没有执行。");
    // The refresh ran: the two rows not run are listed again.
    EXPECT_EQ(form.statusText(), "准备就绪。");
    EXPECT_EQ(form.operationListModel(1)->rowCount(), 3);
    EXPECT_FALSE(form.commandRunning());
}

TEST_F(CompareStop, ClosingTheWindowDuringASynchronisationStopsItAndCloses)
{
    form.ToolButton1->click();
    fs.copyAction = [&] {
        form.close();
        EXPECT_EQ(form.statusText(), "正在停止同步..."); // heard at once
        EXPECT_TRUE(form.isVisible());                   // closed once the rows have stopped
    };
    form.BitBtn2->click();
    EXPECT_EQ(fs.copies, 1);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "同步已停止，有2个操作没有执行。");
    // The refresh stopped too: nothing is left to list in a closing window.
    EXPECT_EQ(form.statusText(), "比较已停止。");
    EXPECT_FALSE(form.isVisible());
}
