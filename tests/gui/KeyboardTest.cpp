// The lists from the keyboard: Tab leaves them, Space toggles the current
// row's check whatever column is current.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include "app/FileListModel.h"
#include "app/OperationListModel.h"
#include "app/TForm1.h"
#include "finder/TForm5.h"
#include "gui/MainWindowSupport.h"
#include "support/ListedDrives.h"
#include "support/TempDir.h"

using namespace testsupport;

namespace {

void showActive(QWidget& window)
{
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

// Where Tab (or Shift+Tab) from the widget leads.
QWidget* afterTab(QWidget* from, bool backwards = false)
{
    from->setFocus(Qt::TabFocusReason);
    QTest::keyClick(from, Qt::Key_Tab, backwards ? Qt::ShiftModifier : Qt::NoModifier);
    return QApplication::focusWidget();
}

void pressSpaceOn(QTableView* view, int row, int column)
{
    view->setFocus();
    view->setCurrentIndex(view->model()->index(row, column));
    QTest::keyClick(view, Qt::Key_Space);
}

class MainWindowKeys : public ::testing::Test {
protected:
    MainWindowKeys()
    {
        form.setPrompt(&prompt);
        writeFile(temp / "one/a", "a");
        writeFile(temp / "one/b", "b");
        writeFile(temp / "one/c", "c");
        writeFile(temp / "two/z", "z");
        form.edDir1->setCurrentText(QString::fromStdString(temp / "one"));
        form.edDir2->setCurrentText(QString::fromStdString(temp / "two"));
        form.ToolButton1->click();
    }

    TempDir temp;
    ScriptedPrompt prompt;
    tessarin::app::TForm1 form;
};

} // namespace

TEST_F(MainWindowKeys, TabMovesFromControlToControlAndLeavesEveryList)
{
    showActive(form);
    ASSERT_EQ(form.dirList1->model()->rowCount(), 3);
    EXPECT_EQ(afterTab(form.edDir1), form.Button1);
    EXPECT_EQ(afterTab(form.Button2), form.dirList1);
    EXPECT_EQ(afterTab(form.dirList1), form.BitBtn2);
    EXPECT_EQ(afterTab(form.BitBtn4), form.dirList2);
    EXPECT_EQ(afterTab(form.dirList2), form.C_L1);
    EXPECT_EQ(afterTab(form.C_L1), form.BitBtn1);
    EXPECT_EQ(afterTab(form.BitBtn7), form.C_L2);
    EXPECT_EQ(afterTab(form.C_L2), form.BitBtn8);
    EXPECT_EQ(afterTab(form.C_L1, true), form.dirList2);
    // The tool bars' buttons are not stops of the Tab key.
    EXPECT_EQ(form.ToolButton1->focusPolicy(), Qt::NoFocus);
}

TEST_F(MainWindowKeys, SpaceTogglesTheCurrentRowsCheckInAnyColumn)
{
    showActive(form);
    // C_L1: a, b, c new, z deleted; C_L2: a, b, c deleted, z new.
    ASSERT_EQ(checkMarks(*form.operationListModel(SyncSide::One)), "----");
    pressSpaceOn(form.C_L1, 1, 2);
    EXPECT_EQ(checkMarks(*form.operationListModel(SyncSide::One)), "-x--");
    pressSpaceOn(form.C_L1, 1, 1);
    EXPECT_EQ(checkMarks(*form.operationListModel(SyncSide::One)), "----");
    // In the check box's own column it toggles once, not twice.
    pressSpaceOn(form.C_L1, 2, 0);
    EXPECT_EQ(checkMarks(*form.operationListModel(SyncSide::One)), "--x-");
    pressSpaceOn(form.C_L2, 3, 2);
    EXPECT_EQ(checkMarks(*form.operationListModel(SyncSide::Two)), "---x");
    EXPECT_EQ(checkMarks(*form.operationListModel(SyncSide::One)), "--x-");
}

TEST(FinderKeys, TabLeavesTheResultsAndSpaceTogglesTheirChecks)
{
    TempDir temp;
    writeFile(temp / "chosen", "x");
    writeFile(temp / "d/one", "x");
    writeFile(temp / "d/two", "x");
    testsupport::ListedDrives drives;
    drives.roots = {temp / "d/"};
    ScriptedPrompt prompt;
    tessarin::finder::TForm5 form(drives);
    form.setPrompt(prompt);
    form.Edit1->setText(QString::fromStdString(temp / "chosen"));
    form.dirList->setCurrentIndex(1);
    form.Button2->click();
    ASSERT_EQ(form.RList->model()->rowCount(), 2);

    showActive(form);
    EXPECT_EQ(afterTab(form.RList), form.Button2);
    EXPECT_EQ(afterTab(form.RList, true), form.dirList);
    pressSpaceOn(form.RList, 1, 1);
    EXPECT_EQ(checkMarks(*form.RList->model()), "-x");
    pressSpaceOn(form.RList, 1, 0);
    EXPECT_EQ(checkMarks(*form.RList->model()), "--");
    form.hide();
}
