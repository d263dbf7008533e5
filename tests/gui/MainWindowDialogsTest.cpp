// The main window's way into the browse dialog, the About box and the help.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>

#include "app/TForm1.h"
#include "dialogs/TForm2.h"
#include "dialogs/TForm4.h"
#include "platform/PosixFileSystem.h"
#include "support/RecordingShell.h"
#include "support/ScriptedPrompt.h"

using tessarin::app::TForm1;
using tessarin::dialogs::TForm2;
using tessarin::dialogs::TForm4;

namespace {

// The windows as start-up makes them, with a recording shell in place of the desktop's.
class MainWindowDialogs : public ::testing::Test {
protected:
    MainWindowDialogs()
    {
        form.setPrompt(&prompt);
        form.setShell(&shell);
        Form2 = &browse;
        Form4 = &about;
        browse.setTargets(form.edDir1, form.edDir2);
    }
    ~MainWindowDialogs() override
    {
        Form2 = nullptr;
        Form4 = nullptr;
    }

    testsupport::ScriptedPrompt prompt;
    testsupport::RecordingShell shell;
    tessarin::platform::PosixFileSystem fileSystem;
    tessarin::app::TForm1 form;
    tessarin::dialogs::TForm2 browse{fileSystem, &form};
    tessarin::dialogs::TForm4 about{shell, &form};
};

TEST_F(MainWindowDialogs, EachBrowseButtonFillsItsOwnDirectoryField)
{
    QTimer::singleShot(0, &browse, [this] {
        EXPECT_EQ(browse.BrowseTarget, 1);
        browse.Edit1->setText("/picked/one");
        browse.Button1->click();
    });
    form.Button1->click();
    QTimer::singleShot(0, &browse, [this] {
        EXPECT_EQ(browse.BrowseTarget, 2);
        browse.Edit1->setText("/picked/two");
        browse.Button1->click();
    });
    form.Button2->click();

    EXPECT_EQ(form.edDir1->currentText(), "/picked/one");
    EXPECT_EQ(form.edDir1->count(), 1);
    EXPECT_EQ(form.edDir2->currentText(), "/picked/two");
    EXPECT_EQ(form.edDir2->count(), 1);
}

TEST_F(MainWindowDialogs, HelpMenuEntryAndF1OpenTheHelpFileBesideTheProgram)
{
    const std::string helpFile = std::filesystem::canonical("/proc/self/exe").parent_path().string() + "/软件帮助.html";
    form.H2->trigger();
    EXPECT_EQ(shell.files, std::vector<std::string>{helpFile});

    form.show();
    QApplication::setActiveWindow(&form);
    QKeyEvent f1(QEvent::ShortcutOverride, Qt::Key_F1, Qt::NoModifier);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(form.edDir1, &f1);
    QApplication::sendEvent(form.edDir1, &press);
    form.hide();
    EXPECT_EQ(shell.files, (std::vector<std::string>{helpFile, helpFile}));
    EXPECT_TRUE(shell.urls.empty());
}

TEST_F(MainWindowDialogs, AboutMenuEntryShowsTheAboutBoxModally)
{
    bool shownModal = false;
    QTimer::singleShot(0, &about, [&] {
        shownModal = about.isVisible() && about.isModal();
        about.Button1->click();
    });
    form.A1->trigger();
    EXPECT_TRUE(shownModal);
    EXPECT_FALSE(about.isVisible());
}

} // namespace
