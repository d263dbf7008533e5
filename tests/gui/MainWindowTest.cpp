// The main window over temporary trees: commands clicked as a user would.
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QToolButton>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/FileListModel.h"
#include "app/OperationListModel.h"
#include "app/ResizeRule.h"
#include "app/TForm1.h"
#include "core/Error.h"
#include "gui/MainWindowSupport.h"
#include "support/RefusingFileSystem.h"
#include "support/TempDir.h"

using namespace testsupport;
using tessarin::app::TForm1;

namespace {

class MainWindow : public ::testing::Test {
protected:
    MainWindow()
    {
        form.setPrompt(&prompt);
        // dir1: sub/b.txt, a.txt, c.txt (newer); dir2: c.txt, d.txt.
        writeFile(dir1 + "/sub/b.txt", "hello", 1000000000);
        writeFile(dir1 + "/a.txt", "hello", 1000000000);
        writeFile(dir1 + "/c.txt", "newer", 1000002000);
        writeFile(dir2 + "/c.txt", "old", 1000000000);
        writeFile(dir2 + "/d.txt", "hello", 1000000000);
    }

    void enterPaths(const QString& one, const QString& two)
    {
        form.edDir1->setCurrentText(one);
        form.edDir2->setCurrentText(two);
    }
    void enterPaths() { enterPaths(QString::fromStdString(dir1), QString::fromStdString(dir2)); }

    QStringList fileRows(SyncSide side) const
    {
        QStringList names;
        const auto& model = *form.fileListModel(side);
        for (int r = 0; r < model.rowCount(); ++r)
            names << model.data(model.index(r, 0)).toString() + "|" + model.data(model.index(r, 1)).toString();
        return names;
    }
    QStringList operationRows(SyncSide side) const { return shownRows(*form.operationListModel(side)); }

    const QStringList expectedOne{"→|新建|sub/b.txt", "→|新建|a.txt", "→|更新|c.txt", "→|删除|d.txt"};
    const QStringList expectedTwo{"←|删除|sub/b.txt", "←|删除|a.txt", "←|新建|d.txt"};

    TempDir temp;
    std::string dir1 = temp / "one";
    std::string dir2 = temp / "two";
    ScriptedPrompt prompt;
    ActingFileSystem fs;
    tessarin::app::TForm1 form{fs};
};

} // namespace

TEST_F(MainWindow, StartsEmptyAndReady)
{
    EXPECT_EQ(form.windowTitle(), "Tessarin 1.2");
    EXPECT_EQ(form.statusText(), "准备就绪。");
    EXPECT_EQ(form.Label3->text(), "共0个文件");
    EXPECT_EQ(form.edDir1->currentText(), "");
    EXPECT_EQ(form.dirList1->model()->rowCount(), 0);
    EXPECT_EQ(form.C_L2->model()->rowCount(), 0);
    EXPECT_FALSE(form.stProgress->isVisibleTo(&form));
    EXPECT_EQ(form.ToolButton13->toolTip(), "启动“相同文件搜索”工具");
    EXPECT_EQ(form.BitBtn11->toolTip(), "单独执行选中的同步");
}

TEST_F(MainWindow, CompareFillsTheFourListsAndTheCounts)
{
    enterPaths(QString::fromStdString(dir1) + "/", QString::fromStdString(dir2));
    form.ToolButton1->click();

    EXPECT_EQ(form.edDir1->currentText(), QString::fromStdString(dir1)); // one trailing "/" removed
    EXPECT_EQ(fileRows(SyncSide::One), QStringList({"sub/b.txt|5.00 B", "a.txt|5.00 B", "c.txt|5.00 B"}));
    EXPECT_EQ(fileRows(SyncSide::Two), QStringList({"c.txt|3.00 B", "d.txt|5.00 B"}));
    EXPECT_EQ(form.Label3->text(), "共3个文件");
    EXPECT_EQ(form.Label4->text(), "共2个文件");
    EXPECT_EQ(operationRows(SyncSide::One), expectedOne);
    EXPECT_EQ(operationRows(SyncSide::Two), expectedTwo);
    EXPECT_EQ(form.statusText(), "准备就绪。");
    EXPECT_FALSE(form.stProgress->isVisibleTo(&form));
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(MainWindow, ACompareThatCouldNotReadADirectoryTellsWhichAndLeavesItOut)
{
    RefusingFileSystem refusing;
    refusing.refused.insert(dir1 + "/sub/");
    writeFile(dir2 + "/sub/b.txt", "old", 900000000);
    tessarin::app::TForm1 window(refusing);
    window.setPrompt(&prompt);
    window.edDir1->setCurrentText(QString::fromStdString(dir1));
    window.edDir2->setCurrentText(QString::fromStdString(dir2));
    window.ToolButton1->click();

    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "有1个目录无法读取，其中的文件没有比较，也不会被同步：\n" + dir1 + "/sub/");
    EXPECT_EQ(prompt.shown[0].caption, "提示");
    EXPECT_EQ(prompt.shown[0].icon, tessarin::core::MessageIcon::Warning);
    // sub/b.txt of directory two is neither a "删除" row nor a "新建" row.
    EXPECT_EQ(shownRows(*window.operationListModel(SyncSide::One)),
              QStringList({"→|新建|a.txt", "→|更新|c.txt", "→|删除|d.txt"}));
    EXPECT_EQ(shownRows(*window.operationListModel(SyncSide::Two)), QStringList({"←|删除|a.txt", "←|新建|d.txt"}));
}

TEST_F(MainWindow, CompareWithAnEmptyPathFieldLeavesEverythingAsItWas)
{
    enterPaths();
    form.ToolButton1->click();
    form.BitBtn1->click();
    enterPaths(QString::fromStdString(dir1), "");
    form.ToolButton1->click();
    EXPECT_EQ(checkMarks(*form.operationListModel(SyncSide::One)), "xxxx");
    EXPECT_EQ(form.Label3->text(), "共3个文件");
}

TEST_F(MainWindow, TheCompareMenuEntryDoesWhatItsButtonDoes)
{
    enterPaths();
    form.C2->trigger();
    EXPECT_EQ(operationRows(SyncSide::One), expectedOne);
    EXPECT_EQ(operationRows(SyncSide::Two), expectedTwo);
    EXPECT_EQ(fileRows(SyncSide::One).size(), 3);
}

TEST_F(MainWindow, SelectionButtonsTouchOnlyTheirOwnList)
{
    enterPaths();
    form.ToolButton1->click();
    auto& one = *form.operationListModel(SyncSide::One);
    auto& two = *form.operationListModel(SyncSide::Two);

    form.BitBtn1->click(); // all, C_L1
    EXPECT_EQ(checkMarks(one), "xxxx");
    EXPECT_EQ(checkMarks(two), "---");
    form.BitBtn6->click(); // invert, C_L1
    EXPECT_EQ(checkMarks(one), "----");

    // A check box clicked by the user, then invert twice restores it.
    EXPECT_TRUE(two.setData(two.index(1, 0), Qt::Checked, Qt::CheckStateRole));
    form.BitBtn10->click();
    EXPECT_EQ(checkMarks(two), "x-x");
    form.BitBtn10->click();
    EXPECT_EQ(checkMarks(two), "-x-");
    form.BitBtn8->click();
    EXPECT_EQ(checkMarks(two), "xxx");
    form.BitBtn9->click();
    EXPECT_EQ(checkMarks(two), "---");
    form.BitBtn5->click();
    EXPECT_EQ(checkMarks(one), "----");
    EXPECT_EQ(checkMarks(two), "---");
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(MainWindow, SelectionButtonsOnEmptyListsDoNothing)
{
    for (QPushButton* b : {form.BitBtn1, form.BitBtn5, form.BitBtn6, form.BitBtn8, form.BitBtn9, form.BitBtn10})
        b->click();
    EXPECT_EQ(form.C_L1->model()->rowCount(), 0);
    EXPECT_TRUE(form.session().list(SyncSide::One).empty());
}

TEST_F(MainWindow, RowsAreColouredByTheirOperationWord)
{
    ::chmod((dir2 + "/c.txt").c_str(), 0600); // attributes differ too
    enterPaths();
    form.ToolButton1->click();
    ASSERT_EQ(operationRows(SyncSide::One),
              QStringList({"→|新建|sub/b.txt", "→|新建|a.txt", "→|更新|c.txt", "→|属性|c.txt", "→|删除|d.txt"}));
    ASSERT_EQ(operationRows(SyncSide::Two),
              QStringList({"←|删除|sub/b.txt", "←|删除|a.txt", "←|属性|c.txt", "←|新建|d.txt"}));

    auto colour = [&](SyncSide side, int row, int column) {
        const auto& m = *form.operationListModel(side);
        return m.data(m.index(row, column), Qt::ForegroundRole).value<QColor>();
    };
    EXPECT_EQ(colour(SyncSide::One, 0, 0), QColor(0, 128, 0));
    EXPECT_EQ(colour(SyncSide::One, 1, 2), QColor(0, 128, 0)); // every column of the row
    EXPECT_EQ(colour(SyncSide::One, 2, 1), QColor(0, 0, 255));
    EXPECT_EQ(colour(SyncSide::One, 3, 2), QColor(128, 0, 0));
    EXPECT_EQ(colour(SyncSide::One, 4, 0), QColor(255, 0, 0));
    EXPECT_EQ(colour(SyncSide::Two, 0, 2), QColor(255, 0, 0)); // "删除" is red in both lists
    EXPECT_EQ(colour(SyncSide::Two, 2, 0), QColor(128, 0, 0));
    EXPECT_FALSE(tessarin::app::OperationColour(static_cast<tessarin::sync::Operation>(9)).isValid());
}

TEST_F(MainWindow, CommandsClickedDuringACompareAreNotBegun)
{
    enterPaths();
    form.ToolButton1->click();
    form.show();

    bool ranInside = false;
    QStringList seenDuringCompare;
    fs.action = [&] {
        ranInside = true;
        // The compare has emptied the tables: no list shows a row it would read.
        for (const SyncSide side : tessarin::sync::kBothSides)
            seenDuringCompare << QString::number(form.fileListModel(side)->rowCount())
                              << QString::number(form.operationListModel(side)->rowCount());
        EXPECT_TRUE(form.commandRunning());
        EXPECT_TRUE(form.stProgress->isVisible());
        form.ToolButton1->click(); // a second compare
        form.BitBtn1->click();     // a selection
    };
    form.ToolButton1->click();

    ASSERT_TRUE(ranInside);
    EXPECT_EQ(seenDuringCompare, QStringList({"0", "0", "0", "0"}));
    EXPECT_EQ(operationRows(SyncSide::One), expectedOne); // unchecked: the selection was not run
    EXPECT_EQ(operationRows(SyncSide::Two), expectedTwo);
    EXPECT_EQ(fileRows(SyncSide::One).size(), 3);
}

TEST_F(MainWindow, AnExceptionLeavingAHandlerIsShownInTheStandardErrorBox)
{
    form.runCommand([](tessarin::app::Workspace&) { throw tessarin::core::Error("无法创建目录 /x/y"); });
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "无法创建目录 /x/y.");
    EXPECT_EQ(prompt.shown[0].caption, "Tessarin");
    EXPECT_EQ(prompt.shown[0].icon, tessarin::core::MessageIcon::Error);
    EXPECT_FALSE(form.commandRunning());
    EXPECT_FALSE(form.stProgress->isVisibleTo(&form));

    form.runGuarded([] { throw tessarin::core::Error("I/O error 5, "); });
    EXPECT_EQ(prompt.shown.back().text, "I/O error 5, "); // ends at or below ".": no full stop

    // The window goes on.
    enterPaths();
    form.ToolButton1->click();
    EXPECT_EQ(operationRows(SyncSide::One), expectedOne);
}

TEST_F(MainWindow, AppliesTheResizeRuleAndKeepsColumnsBelowTheDesignWidth)
{
    form.show();
    form.resize(689, 510); // outer 697 x 544
    EXPECT_EQ(form.edDir1->geometry(), QRect(56, 72, 225, 20));
    EXPECT_EQ(form.edDir2->geometry(), QRect(416, 72, 225, 20));
    EXPECT_EQ(form.st->geometry(), QRect(0, 492, 689, 18));

    form.resize(691, 600); // outer 699 x 634
    EXPECT_EQ(form.dirList1->width(), 318);
    EXPECT_EQ(form.dirList1->horizontalHeader()->sectionSize(0), 101);
    EXPECT_EQ(form.C_L2->horizontalHeader()->sectionSize(2), 196);
    EXPECT_EQ(form.C_L2->geometry(), QRect(365, 328, 318, 215));
    EXPECT_EQ(form.BitBtn9->pos(), QPoint(445, 550));

    form.resize(686, 510); // outer 694: panes shrink, columns keep 101 and 196
    EXPECT_EQ(form.dirList1->width(), 316);
    EXPECT_EQ(form.dirList2->horizontalHeader()->sectionSize(0), 101);
    EXPECT_EQ(form.C_L1->horizontalHeader()->sectionSize(2), 196);
}

TEST_F(MainWindow, AtItsMinimumSizeTheOperationListsStillShowRows)
{
    const QSize minimumClient = tessarin::app::minimumOuterSize() - tessarin::app::kDesignFrame;
    EXPECT_EQ(form.minimumSize(), minimumClient);
    enterPaths();
    form.ToolButton1->click();
    form.show();
    form.resize(minimumClient);
    const int rowHeight = form.C_L1->rowHeight(0);
    EXPECT_GE(form.C_L1->viewport()->height(), 2 * rowHeight);
    EXPECT_GE(form.edDir1->width(), 150);
    EXPECT_FALSE(form.BitBtn7->geometry().intersects(form.BitBtn8->geometry()));
}
