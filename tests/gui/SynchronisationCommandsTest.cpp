// The synchronisation commands of the main window, through the executor.
#include <QAction>
#include <QComboBox>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <functional>
#include <gtest/gtest.h>

#include "app/OperationListModel.h"
#include "app/TForm1.h"
#include "gui/MainWindowSupport.h"
#include "platform/PosixFileSystem.h"
#include "support/MessageBoxCatcher.h"
#include "support/TempDir.h"
#include "widgets/MessageBoxes.h"

using namespace testsupport;
using tessarin::app::TForm1;

namespace {

// Records, with each box, how many rows the operation lists showed then.
class ListWatchingPrompt : public ScriptedPrompt {
public:
    explicit ListWatchingPrompt(tessarin::app::TForm1& form) : form_(form) {}
    using ScriptedPrompt::tell;
    void tell(std::string_view text, std::string_view caption, tessarin::core::MessageIcon icon,
              std::string_view details) override
    {
        rowsShown.push_back(form_.operationListModel(SyncSide::One)->rowCount() +
                            form_.operationListModel(SyncSide::Two)->rowCount());
        barShown.push_back(form_.stProgress->isVisibleTo(&form_));
        ScriptedPrompt::tell(text, caption, icon, details);
    }
    std::vector<int> rowsShown;
    std::vector<bool> barShown;

private:
    tessarin::app::TForm1& form_;
};

// Relative paths of the files under a directory, sorted.
void collectFiles(const std::string& root, const std::string& rel, std::vector<std::string>& out)
{
    DIR* dir = ::opendir((root + "/" + rel).c_str());
    if (!dir)
        return;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string path = rel.empty() ? name : rel + "/" + name;
        if (isDir(root + "/" + path))
            collectFiles(root, path, out);
        else
            out.push_back(path + "=" + readFile(root + "/" + path));
    }
    ::closedir(dir);
}

std::vector<std::string> filesUnder(const std::string& root)
{
    std::vector<std::string> files;
    collectFiles(root, "", files);
    std::sort(files.begin(), files.end());
    return files;
}

class SynchronisationCommands : public ::testing::Test {
protected:
    SynchronisationCommands() { form.setPrompt(&prompt); }

    // A fresh pair under the temporary directory, entered and compared:
    // one: sub/b.txt, a.txt, c.txt (newer); two: c.txt (older), d.txt.
    void comparePair(const std::string& name)
    {
        dir1 = temp / (name + "-one");
        dir2 = temp / (name + "-two");
        writeFile(dir1 + "/sub/b.txt", "bbb", 1000000000);
        writeFile(dir1 + "/a.txt", "aaa", 1000000000);
        writeFile(dir1 + "/c.txt", "new", 1000002000);
        writeFile(dir2 + "/c.txt", "old", 1000000000);
        writeFile(dir2 + "/d.txt", "ddd", 1000000000);
        form.edDir1->setCurrentText(QString::fromStdString(dir1));
        form.edDir2->setCurrentText(QString::fromStdString(dir2));
        form.ToolButton1->click();
    }

    struct Outcome {
        std::vector<std::string> one, two;
        std::string message, caption;
        QStringList listOne, listTwo;
        bool operator==(const Outcome&) const = default;
    };

    // Runs one trigger of a command on a fresh pair and returns what it did.
    Outcome run(const std::string& name, const std::function<void()>& trigger)
    {
        comparePair(name);
        prompt.shown.clear();
        trigger();
        Outcome o{filesUnder(dir1),
                  filesUnder(dir2),
                  {},
                  {},
                  shownRows(*form.operationListModel(SyncSide::One)),
                  shownRows(*form.operationListModel(SyncSide::Two))};
        if (prompt.shown.size() == 1) {
            o.message = prompt.shown[0].text;
            o.caption = prompt.shown[0].caption;
        }
        return o;
    }

    TempDir temp;
    std::string dir1, dir2;
    ActingFileSystem fs;
    tessarin::app::TForm1 form{fs};
    ListWatchingPrompt prompt{form};
};

} // namespace

TEST_F(SynchronisationCommands, OneToTwoFromButtonToolButtonAndMenuAlike)
{
    // With the default options the target's extra file d.txt stays.
    const Outcome button = run("button", [&] { form.BitBtn2->click(); });
    EXPECT_EQ(button.two, std::vector<std::string>({"a.txt=aaa", "c.txt=new", "d.txt=ddd", "sub/b.txt=bbb"}));
    EXPECT_EQ(button.message, "目录一同步到目录二完成！");
    EXPECT_EQ(button.caption, "信息");
    EXPECT_EQ(button.listOne, QStringList({"→|删除|d.txt"})); // the refreshed lists
    EXPECT_EQ(button.listTwo, QStringList({"←|新建|d.txt"}));
    EXPECT_EQ(run("tool", [&] { form.ToolButton2->click(); }), button);
    EXPECT_EQ(run("menu", [&] { form.L1->trigger(); }), button);
}

TEST_F(SynchronisationCommands, TwoToOneFromButtonToolButtonAndMenuAlike)
{
    const Outcome button = run("button", [&] { form.BitBtn3->click(); });
    EXPECT_EQ(button.one, std::vector<std::string>({"a.txt=aaa", "c.txt=new", "d.txt=ddd", "sub/b.txt=bbb"}));
    EXPECT_EQ(button.two, std::vector<std::string>({"c.txt=old", "d.txt=ddd"}));
    EXPECT_EQ(button.message, "目录二同步到目录一完成！");
    EXPECT_EQ(run("tool", [&] { form.ToolButton3->click(); }), button);
    EXPECT_EQ(run("menu", [&] { form.R1->trigger(); }), button);
}

TEST_F(SynchronisationCommands, TwoWayFromButtonToolButtonAndMenuAlike)
{
    const Outcome button = run("button", [&] { form.BitBtn4->click(); });
    EXPECT_EQ(button.one, std::vector<std::string>({"a.txt=aaa", "c.txt=new", "d.txt=ddd", "sub/b.txt=bbb"}));
    EXPECT_EQ(button.two, button.one);
    EXPECT_EQ(button.message, "双向同步完成！");
    EXPECT_EQ(run("tool", [&] { form.ToolButton4->click(); }), button);
    EXPECT_EQ(run("menu", [&] { form.E1->trigger(); }), button);
}

TEST_F(SynchronisationCommands, ExecuteRunsTheCheckedRowsOfItsOwnListThenRefreshes)
{
    comparePair("checked");
    auto& one = *form.operationListModel(SyncSide::One);
    one.setData(one.index(1, 0), Qt::Checked, Qt::CheckStateRole); // "新建" a.txt
    form.BitBtn8->click();                                         // all of C_L2: not run by BitBtn7
    form.BitBtn7->click();

    EXPECT_EQ(filesUnder(dir2), std::vector<std::string>({"a.txt=aaa", "c.txt=old", "d.txt=ddd"}));
    EXPECT_EQ(filesUnder(dir1).size(), 3u);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "选择的同步成功完成！");
    EXPECT_EQ(prompt.shown[0].caption, "提示");
    // The box stands over the refreshed lists, every mark cleared, the bar gone.
    EXPECT_EQ(prompt.rowsShown, std::vector<int>({3 + 2}));
    EXPECT_EQ(prompt.barShown, std::vector<bool>({false}));
    EXPECT_EQ(shownRows(one), QStringList({"→|新建|sub/b.txt", "→|更新|c.txt", "→|删除|d.txt"}));
    EXPECT_EQ(checkMarks(*form.operationListModel(SyncSide::Two)), "--");

    form.BitBtn11->click(); // nothing checked in C_L2: refresh and message all the same
    EXPECT_EQ(prompt.shown.size(), 2u);
    EXPECT_EQ(filesUnder(dir1).size(), 3u);
}

TEST_F(SynchronisationCommands, NothingIsBegunOnTopOfARunningCommand)
{
    comparePair("first");
    int insideSync = 0;
    // During the sync's rows: the lists stay shown, the bar runs, a compare
    // and an execute are not begun.
    fs.copyAction = [&] {
        ++insideSync;
        EXPECT_EQ(form.operationListModel(SyncSide::One)->rowCount(), 4);
        EXPECT_TRUE(form.stProgress->isVisibleTo(&form));
        EXPECT_TRUE(form.statusText().startsWith("正在同步"));
        form.ToolButton1->click();
        form.BitBtn7->click();
        form.BitBtn3->click();
    };
    form.BitBtn2->click();
    EXPECT_EQ(insideSync, 1);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "目录一同步到目录二完成！");
    EXPECT_EQ(filesUnder(dir1).size(), 3u); // two-to-one was not begun: d.txt not copied
    EXPECT_FALSE(form.stProgress->isVisibleTo(&form));

    // During a compare: no synchronisation begins.
    comparePair("second");
    prompt.shown.clear();
    fs.action = [&] {
        form.BitBtn2->click();
        form.BitBtn4->click();
    };
    form.ToolButton1->click();
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_EQ(filesUnder(dir2), std::vector<std::string>({"c.txt=old", "d.txt=ddd"}));
}

TEST_F(SynchronisationCommands, ADirectoryThatCannotBeCreatedStopsTheCommandWithTheStandardErrorBox)
{
    comparePair("blocked");
    writeFile(dir2 + "/sub", "a file where a directory is needed");
    form.ToolButton1->click();
    ASSERT_EQ(shownRows(*form.operationListModel(SyncSide::One)).first(), "→|新建|sub/b.txt");
    prompt.shown.clear();

    form.BitBtn2->click();
    ASSERT_EQ(prompt.shown.size(), 1u); // the error, no completion message
    EXPECT_EQ(prompt.shown[0].caption, "Tessarin");
    EXPECT_EQ(prompt.shown[0].icon, tessarin::core::MessageIcon::Error);
    // The error with the full stop of the standard box, how many rows did
    // not run (sub/b.txt, a.txt, c.txt), then what failed before it: the
    // directory pass met the same file first.
    const std::string reason = tessarin::platform::systemErrorText(EEXIST);
    EXPECT_EQ(prompt.shown[0].text,
              "无法创建目录“" + dir2 + "/sub”：" + reason +
                  ".\n\n同步已中止，有3个操作没有执行（包括出错的这一个）。\n\n有1个操作失败：\n→ 目录 " + dir2 +
                  "/sub：" + reason);
    EXPECT_EQ(prompt.shown[0].details, "→ 目录 " + dir2 + "/sub：" + reason);
    EXPECT_FALSE(exists(dir2 + "/a.txt")); // later rows not run
    EXPECT_FALSE(form.commandRunning());
    // Nothing runs any more, and the status bar says so.
    EXPECT_EQ(form.statusText(), "同步已中止。");
    EXPECT_FALSE(form.stProgress->isVisibleTo(&form));
    EXPECT_EQ(shownRows(*form.operationListModel(SyncSide::One)).size(), 5); // no refresh: the rows stay

    form.ToolButton1->click(); // the window goes on
    EXPECT_EQ(form.statusText(), "准备就绪。");
}

TEST_F(SynchronisationCommands, TheWindowsFailureBoxHoldsEveryFailureInItsDetails)
{
    // 25 directories stand where files are to be copied: 25 failed rows.
    dir1 = temp / "many-one";
    dir2 = temp / "many-two";
    for (int i = 10; i < 35; ++i) {
        writeFile(dir1 + "/f" + std::to_string(i), "f", 1000000000);
        writeFile(dir2 + "/f" + std::to_string(i) + "/inner.txt", "i", 1000000000);
    }
    form.edDir1->setCurrentText(QString::fromStdString(dir1));
    form.edDir2->setCurrentText(QString::fromStdString(dir2));
    form.ToolButton1->click();
    form.setPrompt(nullptr); // the window's own boxes
    testsupport::MessageBoxCatcher catcher;
    form.BitBtn2->click();
    ASSERT_EQ(catcher.boxes.size(), 1u);
    EXPECT_TRUE(catcher.boxes[0].text.endsWith(QStringLiteral("……另有5个失败未列出。")))
        << catcher.boxes[0].text.toStdString();
    const QStringList details = catcher.boxes[0].details.split(QLatin1Char('\n'));
    ASSERT_EQ(details.size(), 25);
    const QString reason = QString::fromStdString(tessarin::platform::systemErrorText(EISDIR));
    for (int i = 10; i < 35; ++i)
        EXPECT_EQ(details[i - 10], QStringLiteral("→ 新建 f%1：").arg(i) + reason);
}

TEST_F(SynchronisationCommands, AfterACommandTheFieldsShowTheRootsItRanAgainst)
{
    comparePair("fields");
    // The user types another directory after the compare: the rows still run
    // against the compared one, and the fields say so before the completion box.
    const std::string typed = temp / "typed";
    form.edDir2->setCurrentText(QString::fromStdString(typed));
    QStringList fieldsBehindBox;
    prompt.onShow = [&](const auto&) { fieldsBehindBox << form.edDir1->currentText() << form.edDir2->currentText(); };
    form.BitBtn2->click();
    EXPECT_EQ(fieldsBehindBox, QStringList({QString::fromStdString(dir1), QString::fromStdString(dir2)}));
    EXPECT_EQ(form.edDir2->currentText(), QString::fromStdString(dir2));
    EXPECT_FALSE(exists(typed));
    EXPECT_EQ(filesUnder(dir2), std::vector<std::string>({"a.txt=aaa", "c.txt=new", "d.txt=ddd", "sub/b.txt=bbb"}));

    // The same for the checked rows of one list.
    form.edDir1->setCurrentText(QString::fromStdString(typed));
    form.BitBtn8->click();
    form.BitBtn11->click();
    EXPECT_EQ(form.edDir1->currentText(), QString::fromStdString(dir1));
}

TEST_F(SynchronisationCommands, BeforeAnyCompareACommandLeavesTheFieldsAsTyped)
{
    const QString typed = QString::fromStdString(temp / "never-compared");
    form.edDir1->setCurrentText(typed);
    form.BitBtn2->click();
    form.BitBtn7->click();
    EXPECT_EQ(form.edDir1->currentText(), typed);
    EXPECT_EQ(form.edDir2->currentText(), "");
}
