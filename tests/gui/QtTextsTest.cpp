// Qt's own texts are Chinese, as the rest of the interface: the buttons of
// message boxes and the labels of the file dialog.
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include "finder/TForm5.h"
#include "support/ListedDrives.h"
#include "widgets/MessageBoxes.h"

TEST(QtTexts, MessageBoxButtonsAreChinese)
{
    tessarin::widgets::QtPrompt prompt(nullptr);
    QStringList texts;
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [&texts] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            for (QAbstractButton* button : box->buttons())
                texts << button->text();
            box->done(QMessageBox::Cancel);
        }
    });
    timer->start();
    prompt.ask("确实要彻底删除选中的文件吗？", "删除确认", tessarin::core::MessageIcon::Question,
               tessarin::core::MessageButtons::YesNoCancel, tessarin::core::Answer::No);
    prompt.tell("已经成功删除了选中的文件！", "信息", tessarin::core::MessageIcon::Information);
    delete timer;
    texts.sort();
    // "是(&Y)": the help's "是" is what the button says.
    EXPECT_EQ(texts, QStringList({QStringLiteral("取消"), QStringLiteral("否(&N)"), QStringLiteral("是(&Y)"),
                                  QStringLiteral("确定")}));
}

TEST(QtTexts, TheFindersFileDialogIsChinese)
{
    testsupport::ListedDrives drives;
    tessarin::finder::TForm5 form(drives);
    const auto* fileName = form.od->findChild<QLabel*>(QStringLiteral("fileNameLabel"));
    const auto* lookIn = form.od->findChild<QLabel*>(QStringLiteral("lookInLabel"));
    const auto* buttons = form.od->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    ASSERT_TRUE(fileName && lookIn && buttons);
    EXPECT_EQ(form.od->windowTitle(), QStringLiteral("请选择您要查找的文件"));
    EXPECT_FALSE(fileName->text().contains(QStringLiteral("name"), Qt::CaseInsensitive))
        << fileName->text().toStdString();
    EXPECT_TRUE(fileName->text().contains(QStringLiteral("文件名"))) << fileName->text().toStdString();
    EXPECT_TRUE(lookIn->text().contains(QStringLiteral("查找范围"))) << lookIn->text().toStdString();
    const QPushButton* open = buttons->button(QDialogButtonBox::Open);
    ASSERT_TRUE(open);
    EXPECT_TRUE(open->text().contains(QStringLiteral("打开"))) << open->text().toStdString();
}
