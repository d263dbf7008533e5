#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "dialogs/TForm3.h"
#include "settings/SettingsPath.h"
#include "support/MessageBoxCatcher.h"
#include "support/TempDir.h"

using tessarin::dialogs::TForm3;
using testsupport::exists;
using testsupport::readFile;

namespace {

struct OptionsDialog : ::testing::Test {
    testsupport::TempDir tmp;
    std::string path = tmp / "settings.ini";
    std::string previousPath = tessarin::settings::settingsFilePath();
    tessarin::dialogs::TForm3 form;

    OptionsDialog() { tessarin::settings::useSettingsFilePath(path); }
    ~OptionsDialog() override { tessarin::settings::useSettingsFilePath(previousPath); }

    void open()
    {
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }
};

} // namespace

TEST_F(OptionsDialog, HasTheCaptionSizeControlsAndTabOrderOfTheForm)
{
    EXPECT_EQ(form.windowTitle(), QStringLiteral("同步选项"));
    EXPECT_EQ(form.size(), QSize(265, 161));
    EXPECT_EQ(form.minimumSize(), form.maximumSize()) << "the frame is fixed";
    EXPECT_FALSE(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(form.CheckBox1->text(), QStringLiteral("删除目标目录的旧文件(&D)"));
    EXPECT_EQ(form.CheckBox2->text(), QStringLiteral("同步文件的属性(&A)"));
    EXPECT_EQ(form.CheckBox3->text(), QStringLiteral("同步子文件夹的内容(&S)"));
    EXPECT_EQ(form.CheckBox1->geometry(), QRect(16, 12, 161, 21));
    EXPECT_EQ(form.CheckBox2->geometry(), QRect(16, 44, 125, 21));
    EXPECT_EQ(form.CheckBox3->geometry(), QRect(16, 76, 149, 21));
    EXPECT_EQ(form.BitBtn1->text(), QStringLiteral("确定"));
    EXPECT_EQ(form.BitBtn2->text(), QStringLiteral("取消"));
    EXPECT_EQ(form.BitBtn1->geometry(), QRect(32, 116, 81, 29));
    EXPECT_EQ(form.BitBtn2->geometry(), QRect(152, 116, 81, 29));
    EXPECT_TRUE(form.BitBtn1->isDefault());
    EXPECT_FALSE(form.CheckBox1->isChecked() || form.CheckBox2->isChecked() || form.CheckBox3->isChecked());

    open();
    form.CheckBox1->setFocus();
    std::vector<QWidget*> order{QApplication::focusWidget()};
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order.push_back(QApplication::focusWidget());
    }
    EXPECT_EQ(order, (std::vector<QWidget*>{form.CheckBox1, form.CheckBox2, form.BitBtn1, form.BitBtn2, form.CheckBox3,
                                            form.CheckBox1}));
}

TEST_F(OptionsDialog, AltKeysToggleTheCheckBoxes)
{
    open();
    // A mnemonic clicks its button after a short animation.
    for (auto [key, box] :
         {std::pair{Qt::Key_D, form.CheckBox1}, {Qt::Key_A, form.CheckBox2}, {Qt::Key_S, form.CheckBox3}}) {
        QTest::keyClick(&form, key, Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor([box] { return box->isChecked(); }, 2000)) << box->text().toStdString();
    }
    EXPECT_TRUE(form.isVisible());
}

TEST_F(OptionsDialog, OkWritesTheThreeKeysInOrderAndCloses)
{
    form.setOptions({.deleteOldFile = true, .syncAttributes = false, .syncSubFolder = true});
    open();
    QTest::keyClick(&form, Qt::Key_Return);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(readFile(path), "[Settings]\nDeleteOldFile=1\nSnycAttributes=0\nSyncSubFolder=1\n");
}

TEST_F(OptionsDialog, CancelWritesNothingAndKeepsTheChangedStates)
{
    form.setOptions({});
    open();
    form.CheckBox1->click();
    form.BitBtn2->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(exists(path));
    EXPECT_TRUE(form.options().deleteOldFile);

    open(); // reopening shows the states left by the last use
    EXPECT_TRUE(form.CheckBox1->isChecked());
    form.CheckBox3->click();
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(exists(path));
    EXPECT_FALSE(form.options().syncSubFolder);
}

TEST_F(OptionsDialog, AFailedSaveShowsTheErrorAndTheDialogStaysOpen)
{
    const std::string unwritable = tmp / "no such directory/settings.ini";
    tessarin::settings::useSettingsFilePath(unwritable);
    form.setOptions({.deleteOldFile = true, .syncAttributes = true, .syncSubFolder = false});
    open();
    testsupport::MessageBoxCatcher catcher;
    form.BitBtn1->click();
    ASSERT_EQ(catcher.boxes.size(), 1u);
    EXPECT_EQ(catcher.boxes[0].caption, QStringLiteral("Tessarin"));
    EXPECT_EQ(catcher.boxes[0].text, QString::fromStdString("Unable to write to " + unwritable + "."));
    EXPECT_EQ(catcher.boxes[0].icon, QMessageBox::Critical);
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.options().deleteOldFile);
    EXPECT_FALSE(form.options().syncSubFolder);
}
