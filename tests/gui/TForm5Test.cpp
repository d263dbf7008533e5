#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <gtest/gtest.h>

#include "finder/FoundFilesModel.h"
#include "finder/TForm5.h"
#include "gui/MainWindowSupport.h"
#include "support/ListedDrives.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

using tessarin::core::Answer;
using tessarin::finder::TForm5;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

struct Finder : ::testing::Test {
    TempDir tmp;
    testsupport::ListedDrives drives;
    testsupport::ScriptedPrompt prompt;
    testsupport::ActingFileSystem fs;
    std::unique_ptr<tessarin::finder::TForm5> form;

    void make()
    {
        form = std::make_unique<tessarin::finder::TForm5>(drives, fs);
        form->setPrompt(prompt);
    }
    QAbstractItemModel& rows() { return *form->RList->model(); }
    QString cell(int row, int column) { return rows().index(row, column).data().toString(); }
    bool checked(int row) { return rows().index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked; }
    void searchDrive(int entry, const std::string& chosen)
    {
        form->Edit1->setText(q(chosen));
        form->dirList->setCurrentIndex(entry);
        form->Button2->click();
    }
};

} // namespace

TEST_F(Finder, WindowControlsTextsPlacesAndTabOrder)
{
    drives.roots = {"/", tmp / "d/"};
    make();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("相同文件搜索器"));
    EXPECT_EQ(form->size(), QSize(589, 445));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_EQ(form->Label1->text(), QStringLiteral("您要查找的文件："));
    EXPECT_EQ(form->Label1->pos(), QPoint(16, 16));
    EXPECT_EQ(form->Edit1->geometry(), QRect(116, 12, 393, 20));
    EXPECT_TRUE(form->Edit1->text().isEmpty());
    EXPECT_EQ(form->Button1->text(), QStringLiteral("浏览"));
    EXPECT_EQ(form->Button1->geometry(), QRect(516, 12, 57, 21));
    EXPECT_EQ(form->Label2->text(), QStringLiteral("请选择搜索范围："));
    EXPECT_EQ(form->dirList->geometry(), QRect(116, 44, 149, 20));
    EXPECT_FALSE(form->dirList->isEditable());
    ASSERT_EQ(form->dirList->count(), 3);
    EXPECT_EQ(form->dirList->itemText(0), QStringLiteral("全部磁盘驱动器"));
    EXPECT_EQ(form->dirList->itemText(1), QStringLiteral("/"));
    EXPECT_EQ(form->dirList->itemText(2), q(tmp / "d/"));
    EXPECT_EQ(form->dirList->currentIndex(), 0);
    EXPECT_EQ(form->CheckBox1->text(), QStringLiteral("只搜索相同的扩展名文件"));
    EXPECT_EQ(form->CheckBox1->geometry(), QRect(276, 44, 157, 21));
    EXPECT_FALSE(form->CheckBox1->isChecked());
    EXPECT_EQ(form->Button2->text(), QStringLiteral("开始搜索"));
    EXPECT_EQ(form->Button2->geometry(), QRect(484, 40, 89, 29));
    EXPECT_EQ(form->Label3->text(), QStringLiteral("状态："));
    EXPECT_EQ(form->Label4->text(), QStringLiteral("准备就绪。"));
    EXPECT_EQ(form->Label4->pos(), QPoint(56, 80));
    EXPECT_EQ(form->Label5->text(), QStringLiteral("查找结果："));
    EXPECT_EQ(form->RList->geometry(), QRect(16, 136, 557, 257));
    EXPECT_EQ(rows().headerData(0, Qt::Horizontal).toString(), QStringLiteral("文件名"));
    EXPECT_EQ(rows().headerData(1, Qt::Horizontal).toString(), QStringLiteral("路径"));
    EXPECT_EQ(form->RList->columnWidth(0), 200);
    EXPECT_EQ(form->RList->columnWidth(1), 330);
    EXPECT_TRUE(form->RList->showGrid());
    EXPECT_EQ(form->RList->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(form->RList->editTriggers(), QAbstractItemView::NoEditTriggers);
    const std::vector<std::tuple<QPushButton*, QString, QRect>> buttons = {
        {form->BitBtn1, QStringLiteral("全选"), {240, 408, 73, 25}},
        {form->BitBtn5, QStringLiteral("全不选"), {320, 408, 73, 25}},
        {form->BitBtn6, QStringLiteral("反选"), {400, 408, 73, 25}},
        {form->BitBtn7, QStringLiteral("执行删除"), {484, 408, 89, 25}},
    };
    for (const auto& [button, text, place] : buttons) {
        EXPECT_EQ(button->text(), text);
        EXPECT_EQ(button->geometry(), place);
        EXPECT_FALSE(button->icon().isNull()) << text.toStdString();
    }
    EXPECT_EQ(form->od->windowTitle(), QStringLiteral("请选择您要查找的文件"));
    // The filter shows its text as it is, and lets every file through.
    const auto* filterBox = form->od->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(filterBox, nullptr);
    EXPECT_EQ(filterBox->currentText(), QStringLiteral("所有文件类型(*.*)"));

    // The tab order, read from the focus chain.
    const std::vector<QWidget*> expected = {form->Edit1,   form->Button1,  form->dirList, form->RList,
                                            form->Button2, form->BitBtn1,  form->BitBtn5, form->BitBtn6,
                                            form->BitBtn7, form->CheckBox1};
    std::vector<QWidget*> chain;
    QWidget* w = form->Edit1;
    do {
        if (std::find(expected.begin(), expected.end(), w) != expected.end())
            chain.push_back(w);
        w = w->nextInFocusChain();
    } while (w != form->Edit1 && chain.size() < 20);
    EXPECT_EQ(chain, expected);
}

TEST_F(Finder, SearchFillsTheCheckBoxListAndTheSelectButtonsSetTheChecks)
{
    writeFile(tmp / "chosen.txt", "same");
    writeFile(tmp / "d/sub/a.txt", "same");
    writeFile(tmp / "d/b.txt", "same");
    writeFile(tmp / "d/c.txt", "other");
    drives.roots = {tmp / "d/"};
    make();
    searchDrive(1, tmp / "chosen.txt");
    EXPECT_EQ(form->Button2->text(), QStringLiteral("开始搜索"));
    EXPECT_EQ(form->Label4->text(), QStringLiteral("搜索完毕。"));
    ASSERT_EQ(rows().rowCount(), 2);
    EXPECT_EQ(cell(0, 0), QStringLiteral("a.txt"));
    EXPECT_EQ(cell(0, 1), q(tmp / "d/sub/"));
    EXPECT_EQ(cell(1, 0), QStringLiteral("b.txt"));
    EXPECT_FALSE(checked(0) || checked(1));

    rows().setData(rows().index(1, 0), Qt::Checked, Qt::CheckStateRole);
    EXPECT_TRUE(form->foundRows()[1].checked);
    form->BitBtn6->click();
    EXPECT_TRUE(checked(0) && !checked(1));
    form->BitBtn1->click();
    EXPECT_TRUE(checked(0) && checked(1));
    form->BitBtn5->click();
    EXPECT_FALSE(checked(0) || checked(1));

    // Range entry 0: every drive; the list is rebuilt, not added to.
    searchDrive(0, tmp / "chosen.txt");
    EXPECT_EQ(rows().rowCount(), 2);
}

TEST_F(Finder, DeleteAsksThenDeletesTheCheckedFilesAndReports)
{
    writeFile(tmp / "chosen", "x");
    writeFile(tmp / "d/one", "x");
    writeFile(tmp / "d/two", "x");
    drives.roots = {tmp / "d/"};
    make();
    searchDrive(1, tmp / "chosen");
    ASSERT_EQ(rows().rowCount(), 2);
    rows().setData(rows().index(1, 0), Qt::Checked, Qt::CheckStateRole);

    prompt.answers = {tessarin::core::Answer::No};
    form->BitBtn7->click();
    EXPECT_EQ(rows().rowCount(), 2);
    EXPECT_TRUE(testsupport::exists(tmp / "d/two"));
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "确实要彻底删除选中的文件吗？");

    prompt.answers = {tessarin::core::Answer::Yes};
    // While the result is read, the deleted row is gone from the list.
    std::vector<int> rowsBehindBox;
    prompt.onShow = [&](const auto&) { rowsBehindBox.push_back(rows().rowCount()); };
    form->BitBtn7->click();
    EXPECT_EQ(rowsBehindBox, std::vector<int>({2, 1})); // the question, then the result
    ASSERT_EQ(rows().rowCount(), 1);
    EXPECT_EQ(cell(0, 0), QStringLiteral("one"));
    EXPECT_FALSE(testsupport::exists(tmp / "d/two"));
    EXPECT_TRUE(testsupport::exists(tmp / "chosen"));
    ASSERT_EQ(prompt.shown.size(), 3u);
    EXPECT_EQ(prompt.shown[2].text, "已经成功删除了选中的文件！");
    EXPECT_EQ(prompt.shown[2].caption, "信息");
}

TEST_F(Finder, AStopClickEndsTheSearchAndKeepsTheRowsFound)
{
    writeFile(tmp / "chosen", "x");
    writeFile(tmp / "d/a/copy", "x");
    writeFile(tmp / "d/b/copy", "x");
    writeFile(tmp / "d/c/copy", "x");
    drives.roots = {tmp / "d/"};
    make();
    QString captionDuringSearch;
    // Arrives while the search reads b/, after a/.
    fs.actAt = tmp / "d/b/";
    fs.action = [&] {
        captionDuringSearch = form->Button2->text();
        form->Button2->click();
        EXPECT_EQ(form->Button2->text(), QStringLiteral("开始搜索"));
    };
    searchDrive(1, tmp / "chosen");
    EXPECT_EQ(captionDuringSearch, QStringLiteral("停止搜索"));
    EXPECT_EQ(rows().rowCount(), 1);
    EXPECT_EQ(form->Label4->text(), QStringLiteral("搜索完毕。"));
    EXPECT_FALSE(form->searching());
}

TEST_F(Finder, ClosingDuringASearchStopsItAndTheWindowKeepsItsState)
{
    writeFile(tmp / "chosen", "x");
    writeFile(tmp / "d/a/copy", "x");
    writeFile(tmp / "d/b/copy", "x");
    drives.roots = {tmp / "d/"};
    make();
    // Inside the modal window: start a search; the close click arrives while
    // it reads b/, after a/.
    fs.actAt = tmp / "d/b/";
    fs.action = [&] { form->close(); };
    QTimer::singleShot(0, form.get(), [&] {
        form->CheckBox1->setChecked(true);
        searchDrive(1, tmp / "chosen");
        EXPECT_FALSE(form->searching());
    });
    form->showFinder(); // returns once the search has unwound and the window closed
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(rows().rowCount(), 1);

    form->show();
    EXPECT_EQ(form->Edit1->text(), q(tmp / "chosen"));
    EXPECT_EQ(form->dirList->currentIndex(), 1);
    EXPECT_TRUE(form->CheckBox1->isChecked());
    EXPECT_EQ(rows().rowCount(), 1);
    EXPECT_EQ(form->Label4->text(), QStringLiteral("搜索完毕。"));
    form->close();
}

TEST_F(Finder, AnUnreadableChosenFileGetsANoticeAndNoSearch)
{
    writeFile(tmp / "d/empty", "");
    drives.roots = {tmp / "d/"};
    make();
    QString buttonBehindNotice;
    prompt.onShow = [&](const auto&) { buttonBehindNotice = form->Button2->text(); };
    searchDrive(1, tmp / "missing");
    EXPECT_EQ(buttonBehindNotice, QStringLiteral("开始搜索"));
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].caption, "提示");
    EXPECT_EQ(rows().rowCount(), 0);
    EXPECT_EQ(form->Button2->text(), QStringLiteral("开始搜索"));
}

TEST_F(Finder, BrowseFillsTheFileBoxOnlyWhenAFileIsChosen)
{
    writeFile(tmp / "pick me", "x");
    make();
    form->Edit1->setText(QStringLiteral("before"));
    QTimer::singleShot(0, form.get(), [&] { form->od->reject(); });
    form->Button1->click();
    EXPECT_EQ(form->Edit1->text(), QStringLiteral("before"));

    // The user types the file's path and clicks the dialog's open button.
    QTimer::singleShot(0, form.get(), [&] {
        form->od->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(q(tmp / "pick me"));
        form->od->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))->button(QDialogButtonBox::Open)->click();
    });
    form->Button1->click();
    EXPECT_EQ(form->Edit1->text(), q(tmp / "pick me"));
}
