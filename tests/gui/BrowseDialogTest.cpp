#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

#include "dialogs/TForm2.h"
#include "platform/PosixFileSystem.h"
#include "support/TempDir.h"
#include "widgets/DirectoryHistory.h"

using tessarin::dialogs::TForm2;
using testsupport::TempDir;

namespace {

QStringList entries(const QComboBox& box)
{
    QStringList list;
    for (int i = 0; i < box.count(); ++i)
        list << box.itemText(i);
    return list;
}

// Opens the dialog as the main window does and runs `whileOpen` inside its modal loop.
void browseAndDo(tessarin::dialogs::TForm2& form, int target, std::function<void()> whileOpen)
{
    QTimer::singleShot(0, &form, [&form, whileOpen] {
        whileOpen();
        if (form.isVisible())
            form.Button2->click(); // a test that forgot to close must not hang
    });
    form.browse(target);
}

// Opens the tree down to a folder, the way a user clicks the expanders.
QTreeWidgetItem* openTo(tessarin::dialogs::TForm2& form, const std::string& path)
{
    QTreeWidgetItem* item = form.ShellTreeView1->topLevelItem(0);
    item->setExpanded(true);
    std::size_t start = 1;
    while (item && tessarin::dialogs::TForm2::folderPath(*item) != path) {
        const std::size_t end = path.find('/', start);
        const std::string wanted = path.substr(0, end);
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < item->childCount(); ++i)
            if (tessarin::dialogs::TForm2::folderPath(*item->child(i)) == wanted)
                next = item->child(i);
        item = next;
        if (item)
            item->setExpanded(true);
        start = end == std::string::npos ? path.size() : end + 1;
    }
    return item;
}

QStringList childLabels(const QTreeWidgetItem& item)
{
    QStringList labels;
    for (int i = 0; i < item.childCount(); ++i)
        labels << item.child(i)->text(0);
    return labels;
}

class BrowseDialog : public ::testing::Test {
protected:
    BrowseDialog()
    {
        edDir1.setEditable(true);
        edDir2.setEditable(true);
        form.setTargets(&edDir1, &edDir2);
    }

    tessarin::platform::PosixFileSystem fileSystem;
    QComboBox edDir1;
    QComboBox edDir2;
    tessarin::dialogs::TForm2 form{fileSystem};
    TempDir dir;
};

TEST_F(BrowseDialog, ShowsFoldersOnlyAndPutsTheSelectedFullPathIntoTheField)
{
    testsupport::makeDir(dir / "beta/inner");
    testsupport::makeDir(dir / "alpha");
    testsupport::makeDir(dir / ".hidden");
    testsupport::writeFile(dir / "file.txt", "x");

    browseAndDo(form, 1, [&] {
        QTreeWidgetItem* item = openTo(form, dir.path());
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(childLabels(*item), (QStringList{"alpha", "beta"}));
        form.ShellTreeView1->setCurrentItem(item->child(1));
        EXPECT_EQ(form.Edit1->text(), QString::fromStdString(dir / "beta"));
        // A folder without subfolders loses its expander once it has been opened.
        item->child(0)->setExpanded(true);
        EXPECT_EQ(item->child(0)->childCount(), 0);
        EXPECT_EQ(item->child(0)->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicatorWhenChildless);
        form.Button1->click();
    });
    EXPECT_EQ(edDir1.currentText(), QString::fromStdString(dir / "beta"));
}

TEST_F(BrowseDialog, AFolderWhoseNameIsNotUtf8ReachesTheFieldAsItsBytes)
{
    const std::string odd = dir / "caf\xe9";
    testsupport::makeDir(odd);
    browseAndDo(form, 1, [&] {
        QTreeWidgetItem* item = openTo(form, odd);
        ASSERT_NE(item, nullptr);
        form.ShellTreeView1->setCurrentItem(item);
        form.Button1->click();
    });
    EXPECT_EQ(tessarin::widgets::currentPath(edDir1), odd);
    EXPECT_EQ(tessarin::widgets::historyOf(edDir1), (std::vector<std::string>{odd}));
    // Picked again: the entry with those bytes is found, not added twice.
    browseAndDo(form, 1, [&] {
        form.ShellTreeView1->setCurrentItem(openTo(form, odd));
        form.Button1->click();
    });
    EXPECT_EQ(edDir1.count(), 1);
}

TEST_F(BrowseDialog, AcceptFillsTheTargetFieldAndPutsANewPathAtTheTop)
{
    edDir2.addItems({"/old/one", "/old/two"});
    browseAndDo(form, 2, [&] {
        form.Edit1->setText("/new/path");
        form.Button1->click();
    });
    EXPECT_EQ(edDir2.currentText(), "/new/path");
    EXPECT_EQ(entries(edDir2), (QStringList{"/new/path", "/old/one", "/old/two"}));
    EXPECT_TRUE(edDir1.currentText().isEmpty());
    EXPECT_EQ(edDir1.count(), 0);
}

TEST_F(BrowseDialog, AnEqualEntryStaysWhereItIsButAnotherLetterCaseIsANewEntry)
{
    edDir1.addItems({"/data/a", "/data/B", "/data/c"});
    browseAndDo(form, 1, [&] {
        form.Edit1->setText("/data/B");
        form.Button1->click();
    });
    EXPECT_EQ(edDir1.currentText(), "/data/B");
    EXPECT_EQ(entries(edDir1), (QStringList{"/data/a", "/data/B", "/data/c"}));

    browseAndDo(form, 1, [&] {
        form.Edit1->setText("/data/b");
        form.Button1->click();
    });
    EXPECT_EQ(edDir1.currentText(), "/data/b");
    EXPECT_EQ(entries(edDir1), (QStringList{"/data/b", "/data/a", "/data/B", "/data/c"}));
}

TEST_F(BrowseDialog, AcceptsAnEmptyOrMissingPathAsItStands)
{
    edDir1.addItem("/kept");
    edDir1.setEditText("/kept");
    browseAndDo(form, 1, [&] {
        form.Edit1->clear();
        form.Button1->click();
    });
    EXPECT_TRUE(edDir1.currentText().isEmpty());
    EXPECT_EQ(entries(edDir1), (QStringList{"", "/kept"}));

    const QString missing = QString::fromStdString(dir / "no/such/folder");
    browseAndDo(form, 1, [&] {
        form.Edit1->setText(missing);
        form.Button1->click();
    });
    EXPECT_EQ(edDir1.currentText(), missing);
    EXPECT_EQ(entries(edDir1), (QStringList{missing, "", "/kept"}));
}

TEST_F(BrowseDialog, EnterAcceptsEscCancelsAndTabFollowsTheDialogOrder)
{
    const std::vector<QWidget*> controls{form.ShellTreeView1, form.Edit1, form.Button1, form.Button2};
    std::vector<QWidget*> order;
    QWidget* widget = form.ShellTreeView1;
    do {
        if (std::find(controls.begin(), controls.end(), widget) != controls.end())
            order.push_back(widget);
        widget = widget->nextInFocusChain();
    } while (widget != form.ShellTreeView1);
    EXPECT_EQ(order, controls);

    browseAndDo(form, 2, [&] {
        form.Edit1->setText("/by/enter");
        form.Edit1->setFocus();
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(form.Edit1, &enter);
    });
    EXPECT_EQ(entries(edDir2), (QStringList{"/by/enter"}));

    browseAndDo(form, 2, [&] {
        form.Edit1->setText("/by/esc");
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(form.Edit1, &esc);
        EXPECT_FALSE(form.isVisible());
    });
    EXPECT_EQ(entries(edDir2), (QStringList{"/by/enter"}));
    EXPECT_EQ(edDir2.currentText(), "/by/enter");
}

TEST_F(BrowseDialog, AnUnknownTargetFillsNoField)
{
    edDir1.addItem("/one");
    browseAndDo(form, 3, [&] {
        form.Edit1->setText("/elsewhere");
        form.Button1->click();
    });
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(entries(edDir1), (QStringList{"/one"}));
    EXPECT_EQ(edDir2.count(), 0);
}

TEST_F(BrowseDialog, CancelChangesNothingAndTheNextOpeningShowsTheChangedSelection)
{
    testsupport::makeDir(dir / "picked");
    edDir1.addItem("/before");
    edDir1.setEditText("/before");
    browseAndDo(form, 1, [&] {
        QTreeWidgetItem* item = openTo(form, dir / "picked");
        ASSERT_NE(item, nullptr);
        form.ShellTreeView1->setCurrentItem(item);
        form.Button2->click();
    });
    EXPECT_EQ(edDir1.currentText(), "/before");
    EXPECT_EQ(entries(edDir1), (QStringList{"/before"}));

    browseAndDo(form, 1, [&] {
        ASSERT_NE(form.ShellTreeView1->currentItem(), nullptr);
        EXPECT_EQ(tessarin::dialogs::TForm2::folderPath(*form.ShellTreeView1->currentItem()), dir / "picked");
        EXPECT_EQ(form.Edit1->text(), QString::fromStdString(dir / "picked"));
        // A typed path is kept too, even when it is not the selected folder.
        form.Edit1->setText("/typed");
        form.reject();
    });
    browseAndDo(form, 1, [&] { EXPECT_EQ(form.Edit1->text(), "/typed"); });
    EXPECT_EQ(entries(edDir1), (QStringList{"/before"}));
}

TEST_F(BrowseDialog, EachOpeningRereadsTheTreeKeepingExpandedBranches)
{
    testsupport::makeDir(dir / "a/a1");
    testsupport::makeDir(dir / "b");
    browseAndDo(form, 1, [&] {
        ASSERT_NE(openTo(form, dir / "a"), nullptr);
        form.reject();
    });

    testsupport::makeDir(dir / "a/a2");
    testsupport::makeDir(dir / "c");
    ::rmdir((dir / "b").c_str());
    browseAndDo(form, 1, [&] {
        // Found without opening anything: the branches are open as they were left.
        QTreeWidgetItem* root = form.ShellTreeView1->topLevelItem(0);
        ASSERT_TRUE(root->isExpanded());
        QTreeWidgetItem* top = nullptr;
        for (QTreeWidgetItem* item = root; item && tessarin::dialogs::TForm2::folderPath(*item) != dir.path();) {
            QTreeWidgetItem* next = nullptr;
            for (int i = 0; i < item->childCount(); ++i)
                if (dir.path().rfind(tessarin::dialogs::TForm2::folderPath(*item->child(i)) + "/", 0) == 0 ||
                    tessarin::dialogs::TForm2::folderPath(*item->child(i)) == dir.path())
                    next = item->child(i);
            ASSERT_NE(next, nullptr);
            ASSERT_TRUE(next->isExpanded());
            item = top = next;
        }
        ASSERT_NE(top, nullptr);
        EXPECT_EQ(childLabels(*top), (QStringList{"a", "c"}));
        EXPECT_TRUE(top->child(0)->isExpanded());
        EXPECT_EQ(childLabels(*top->child(0)), (QStringList{"a1", "a2"}));
        EXPECT_FALSE(top->child(1)->isExpanded());
    });
}

TEST_F(BrowseDialog, TheSameFolderStaysAtTheTopOfTheView)
{
    for (int i = 0; i < 40; ++i)
        testsupport::makeDir(dir / ("d" + std::to_string(10 + i)));
    browseAndDo(form, 1, [&] {
        QTreeWidgetItem* parent = openTo(form, dir.path());
        ASSERT_NE(parent, nullptr);
        form.ShellTreeView1->scrollToItem(parent->child(20), QAbstractItemView::PositionAtTop);
        ASSERT_EQ(form.ShellTreeView1->itemAt(0, 0), parent->child(20));
        form.reject();
    });
    testsupport::makeDir(dir / "d00"); // a new folder above it must not shift the view
    browseAndDo(form, 1, [&] {
        QTreeWidgetItem* top = form.ShellTreeView1->itemAt(0, 0);
        ASSERT_NE(top, nullptr);
        EXPECT_EQ(tessarin::dialogs::TForm2::folderPath(*top), dir / "d30");
    });
}

TEST_F(BrowseDialog, FolderNamesAreKeptAsBytes)
{
    const std::string latin1 = dir / "caf\xe9"; // not UTF-8
    testsupport::makeDir(latin1 + "/inside");
    browseAndDo(form, 1, [&] {
        QTreeWidgetItem* item = openTo(form, latin1);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(tessarin::dialogs::TForm2::folderPath(*item), latin1);
        EXPECT_EQ(childLabels(*item), (QStringList{"inside"}));
    });
}

// Records whether the busy pointer was shown while each folder was read.
class PointerWatchingFileSystem : public tessarin::platform::PosixFileSystem {
public:
    tessarin::platform::Result<tessarin::platform::DirectoryContents>
    readDirectory(const std::string& directory, bool wantDirectories, std::string_view fileMask) override
    {
        const QCursor* pointer = QApplication::overrideCursor();
        busyAtEachRead.push_back(pointer && pointer->shape() == Qt::WaitCursor);
        return PosixFileSystem::readDirectory(directory, wantDirectories, fileMask);
    }
    std::vector<bool> busyAtEachRead;
};

TEST(BrowseDialogReload, ShowsTheBusyPointerWhileTheTreeIsRead)
{
    TempDir dir;
    testsupport::makeDir(dir / "x");
    PointerWatchingFileSystem fileSystem;
    tessarin::dialogs::TForm2 form(fileSystem);
    ASSERT_NE(openTo(form, dir.path()), nullptr);
    fileSystem.busyAtEachRead.clear();

    form.ReloadTree();
    ASSERT_GE(fileSystem.busyAtEachRead.size(), 2u);
    for (bool busy : fileSystem.busyAtEachRead)
        EXPECT_TRUE(busy);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

} // namespace

TEST_F(BrowseDialog, FolderNamesThatAreNotUtf8ShowAsGb18030OrAsHex)
{
    testsupport::makeDir(dir / "\xC4\xE3\xBA\xC3"); // "你好" in GBK
    testsupport::makeDir(dir / "caf\xE9");          // Latin-1, and a lone lead byte at its end
    browseAndDo(form, 1, [&] {
        QTreeWidgetItem* item = openTo(form, dir.path());
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(childLabels(*item), (QStringList{QStringLiteral("caf\\xE9"), QStringLiteral("你好")}));
        form.ShellTreeView1->setCurrentItem(item->child(1));
        EXPECT_EQ(form.Edit1->text(), QString::fromStdString(dir.path()) + QStringLiteral("/你好"));
        form.Button1->click();
    });
    EXPECT_EQ(edDir1.currentText(), QString::fromStdString(dir.path()) + QStringLiteral("/你好"));
    EXPECT_EQ(tessarin::widgets::currentPath(edDir1), dir / "\xC4\xE3\xBA\xC3");
}
