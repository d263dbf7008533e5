// The settings file through the main window: loaded when it is first shown,
// histories saved when it closes, options opened from the command bar and menu.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/OperationListModel.h"
#include "app/TForm1.h"
#include "dialogs/TForm3.h"
#include "gui/MainWindowSupport.h"
#include "settings/SettingsPath.h"
#include "support/TempDir.h"

using namespace testsupport;
using tessarin::app::TForm1;
using tessarin::dialogs::TForm3;

namespace {

QStringList itemsOf(const QComboBox& field)
{
    QStringList items;
    for (int i = 0; i < field.count(); ++i)
        items << field.itemText(i);
    return items;
}

class MainWindowSettings : public ::testing::Test {
protected:
    MainWindowSettings()
    {
        tessarin::settings::useSettingsFilePath(path);
        Form3 = &options;
    }
    ~MainWindowSettings() override
    {
        Form3 = nullptr;
        tessarin::settings::useSettingsFilePath(previousPath);
    }

    // The window as start-up makes it: Form3 exists before the first show.
    tessarin::app::TForm1& showWindow()
    {
        form = std::make_unique<tessarin::app::TForm1>();
        form->setPrompt(&prompt);
        form->show();
        return *form;
    }

    TempDir temp;
    std::string path = temp / "settings.ini";
    std::string previousPath = tessarin::settings::settingsFilePath();
    ScriptedPrompt prompt;
    tessarin::dialogs::TForm3 options;
    std::unique_ptr<tessarin::app::TForm1> form;
};

} // namespace

TEST_F(MainWindowSettings, FirstShowLoadsTheOptionsAndHistoriesWithNothingPreselected)
{
    writeFile(path, "[Settings]\nDeleteOldFile=1\nSnycAttributes=0\nSyncSubFolder=0\n"
                    "[Dirs1]\n1=/newest\n3=/older\n5=\n7=/oldest\n[Dirs2]\n2=/二\n");
    tessarin::app::TForm1& window = showWindow();
    EXPECT_TRUE(options.CheckBox1->isChecked());
    EXPECT_FALSE(options.CheckBox2->isChecked());
    EXPECT_FALSE(options.CheckBox3->isChecked());
    EXPECT_EQ(itemsOf(*window.edDir1), QStringList({"/newest", "/older", "/oldest"}));
    EXPECT_EQ(itemsOf(*window.edDir2), QStringList({"/二"}));
    EXPECT_EQ(window.edDir1->currentText(), "");
    EXPECT_EQ(window.edDir2->currentText(), "");

    options.CheckBox1->setChecked(false);
    options.CheckBox3->setChecked(true);
    const tessarin::sync::SyncOptions now = window.currentOptions();
    EXPECT_FALSE(now.deleteOldFile);
    EXPECT_FALSE(now.syncAttributes);
    EXPECT_TRUE(now.syncSubFolder);

    window.hide();
    window.show(); // only the first show loads
    EXPECT_EQ(window.edDir1->count(), 3);
    EXPECT_FALSE(options.CheckBox1->isChecked());
}

TEST_F(MainWindowSettings, WithoutAFileTheDefaultsApplyAndAnEmptyCloseCreatesNone)
{
    options.setOptions({.deleteOldFile = true, .syncAttributes = false, .syncSubFolder = false});
    tessarin::app::TForm1& window = showWindow();
    EXPECT_FALSE(options.CheckBox1->isChecked());
    EXPECT_TRUE(options.CheckBox2->isChecked());
    EXPECT_TRUE(options.CheckBox3->isChecked());
    EXPECT_EQ(window.edDir1->count(), 0);
    window.edDir1->setCurrentText("/typed/but/never/listed");
    window.X1->trigger();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(exists(path));
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(MainWindowSettings, CloseSavesTheFirstTenEntriesAndNoStaleOnes)
{
    writeFile(path, "[Dirs1]\n1=/a\n3=/b\n7=/c\n");
    tessarin::app::TForm1& window = showWindow();
    window.edDir1->insertItem(0, "/picked"); // as the browse dialog adds a path
    for (int i = 1; i <= 12; ++i)
        window.edDir2->addItem(QString("/d%1").arg(i));
    window.close();
    EXPECT_FALSE(window.isVisible());

    form.reset();
    tessarin::app::TForm1& next = showWindow();
    EXPECT_EQ(itemsOf(*next.edDir1), QStringList({"/picked", "/a", "/b", "/c"}));
    EXPECT_EQ(next.edDir2->count(), 10);
    EXPECT_EQ(next.edDir2->itemText(9), "/d10");
}

TEST_F(MainWindowSettings, AFailedHistorySaveIsReportedAndTheWindowStillCloses)
{
    const std::string unwritable = temp / "missing/settings.ini";
    tessarin::app::TForm1& window = showWindow();
    tessarin::settings::useSettingsFilePath(unwritable);
    window.edDir1->addItem("/a");
    window.close();
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "Unable to write to " + unwritable + ".");
    EXPECT_EQ(prompt.shown[0].caption, "Tessarin");
    EXPECT_EQ(prompt.shown[0].icon, tessarin::core::MessageIcon::Error);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(MainWindowSettings, TheOptionsButtonAndMenuEntryOpenTheDialogModally)
{
    tessarin::app::TForm1& window = showWindow();
    for (const bool fromMenu : {false, true}) {
        bool wasModal = false;
        QTimer::singleShot(0, &options, [&] {
            wasModal = QApplication::activeModalWidget() == &options;
            options.CheckBox1->click();
            options.BitBtn2->click();
        });
        if (fromMenu)
            window.C1->trigger();
        else
            window.ToolButton8->click();
        EXPECT_TRUE(wasModal) << fromMenu;
        EXPECT_FALSE(options.isVisible());
    }
    EXPECT_FALSE(exists(path)) << "cancelled twice: nothing written";
    EXPECT_FALSE(window.currentOptions().deleteOldFile) << "checked, then cleared again";
}

TEST_F(MainWindowSettings, TheListingReadsTheSubfolderOptionWhenItRuns)
{
    writeFile(temp / "one/sub/b.txt", "b");
    writeFile(temp / "one/a.txt", "a");
    ::mkdir((temp / "two").c_str(), 0755);
    tessarin::app::TForm1& window = showWindow();
    window.edDir1->setCurrentText(QString::fromStdString(temp / "one"));
    window.edDir2->setCurrentText(QString::fromStdString(temp / "two"));
    options.CheckBox3->setChecked(false);
    window.ToolButton1->click();
    EXPECT_EQ(shownRows(*window.operationListModel(SyncSide::One)), QStringList({"→|新建|a.txt"}));
    options.CheckBox3->setChecked(true);
    window.ToolButton1->click();
    EXPECT_EQ(shownRows(*window.operationListModel(SyncSide::One)), QStringList({"→|新建|sub/b.txt", "→|新建|a.txt"}));
}

TEST_F(MainWindowSettings, AHistoryEntryThatIsNotUtf8IsComparedAndSavedByItsOwnBytes)
{
    const std::string odd = temp / "caf\xe9-\xff";
    writeFile(odd + "/a.txt", "a");
    ::mkdir((temp / "two").c_str(), 0755);
    writeFile(path, "[Dirs1]\n1=" + odd + "\n");
    tessarin::app::TForm1& window = showWindow();
    window.edDir1->setCurrentIndex(0);
    window.edDir2->setCurrentText(QString::fromStdString(temp / "two"));
    window.ToolButton1->click();
    EXPECT_EQ(shownRows(*window.operationListModel(SyncSide::One)), QStringList({"→|新建|a.txt"}));
    window.close();
    EXPECT_EQ(readFile(path), "[Dirs1]\n1=" + odd + "\n");
}

TEST_F(MainWindowSettings, AFifoOrDirectoryAsTheFileGivesTheDefaultsAndOneErrorBoxBeforeTheWindowCloses)
{
    for (const bool fifo : {true, false}) {
        if (fifo)
            ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
        else
            ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);
        options.setOptions({.deleteOldFile = true, .syncAttributes = false, .syncSubFolder = false});
        // The real message boxes, owned by the window: each is recorded with
        // whether the window was still there under it, then closed.
        form = std::make_unique<tessarin::app::TForm1>();
        form->show(); // a FIFO would block here for ever
        EXPECT_FALSE(options.CheckBox1->isChecked()) << fifo;
        EXPECT_TRUE(options.CheckBox2->isChecked()) << fifo;
        std::vector<std::pair<QString, bool>> boxes;
        QTimer timer;
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxes.emplace_back(box->text(), form->isVisible());
                box->done(QMessageBox::Ok);
            }
        });
        timer.start();
        form->edDir1->addItem("/a");
        form->close();
        timer.stop();
        ASSERT_EQ(boxes.size(), 1u) << fifo;
        EXPECT_EQ(boxes[0].first, QString::fromStdString("Unable to write to " + path + "."));
        EXPECT_TRUE(boxes[0].second) << "the box comes while the window is still shown";
        EXPECT_FALSE(form->isVisible());
        QApplication::processEvents();
        for (QWidget* widget : QApplication::topLevelWidgets())
            EXPECT_FALSE(widget->isVisible() && qobject_cast<QMessageBox*>(widget)) << "a box left behind";
        form.reset();
        ::unlink(path.c_str());
        ::rmdir(path.c_str());
    }
}
