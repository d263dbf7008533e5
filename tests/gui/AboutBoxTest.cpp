#include <QApplication>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <gtest/gtest.h>

#include "dialogs/TForm4.h"
#include "support/RecordingShell.h"
#include "widgets/LinkLabel.h"

using tessarin::dialogs::buildDateText;
using tessarin::dialogs::TForm4;
using tessarin::widgets::LinkLabel;

namespace {

void enter(QWidget& widget)
{
    QEnterEvent event(QPointF(2, 2), QPointF(2, 2), widget.mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(&widget, &event);
}

void leave(QWidget& widget)
{
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(&widget, &event);
}

void click(QWidget& widget)
{
    const QPointF at(2, 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, widget.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, widget.mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&widget, &release);
}

TEST(BuildDate, IsWrittenWithYearMonthAndDay)
{
    EXPECT_EQ(tessarin::dialogs::buildDateText("Dec  8 2026"), QStringLiteral("2026年12月8日"));
    EXPECT_EQ(tessarin::dialogs::buildDateText("Jan 15 2025"), QStringLiteral("2025年1月15日"));
    EXPECT_EQ(tessarin::dialogs::buildDateText("Sep 30 1999"), QStringLiteral("1999年9月30日"));
    EXPECT_TRUE(tessarin::dialogs::buildDateText("").isEmpty());
    EXPECT_TRUE(tessarin::dialogs::buildDateText("Foo  8 2026").isEmpty());
    EXPECT_TRUE(tessarin::dialogs::buildDateText("2026-12-08 ").isEmpty());
}

TEST(AboutBox, ShowsTheProgramItsBuildDateAndTheLinkTexts)
{
    testsupport::RecordingShell shell;
    tessarin::dialogs::TForm4 form(shell);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("关于"));
    EXPECT_FALSE(form.Image1->pixmap().isNull());
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Tessarin V1.2"));
    EXPECT_TRUE(form.Label1->font().bold());
    EXPECT_EQ(form.Label1->font().pixelSize(), 14);
    EXPECT_EQ(form.Label1->palette().color(QPalette::WindowText), QColor(128, 0, 0));
    EXPECT_TRUE(
        form.Label2->text().contains(QRegularExpression(QStringLiteral("^编译时间：\\d{4}年\\d{1,2}月\\d{1,2}日$"))))
        << form.Label2->text().toStdString();
    EXPECT_TRUE(form.Label3->text().startsWith(QStringLiteral("软件作者：")));
    EXPECT_EQ(form.Label9->text(), form.Label6->text() + "/bbs");
    EXPECT_FALSE(form.Label7->text().startsWith("mailto:"));
    EXPECT_EQ(form.Label6->toolTip(), QStringLiteral("点此可以获得更多软件和技术支持"));
    EXPECT_EQ(form.Label9->toolTip(), QStringLiteral("点此可以获得更多软件和技术支持"));
    EXPECT_EQ(form.Label7->toolTip(), QStringLiteral("点此汇报软件中的BUG，或者意见和建议。"));
    EXPECT_EQ(form.Memo1->toPlainText().split('\n').size(), 9);
    EXPECT_TRUE(form.Memo1->isReadOnly());
    EXPECT_EQ(form.Button1->text(), QStringLiteral("关闭(&C)"));
}

TEST(AboutBox, LinksTurnRedUnderThePointerAndOpenTheirTargets)
{
    testsupport::RecordingShell shell;
    tessarin::dialogs::TForm4 form(shell);
    for (tessarin::widgets::LinkLabel* link : {form.Label6, form.Label9, form.Label7}) {
        EXPECT_EQ(link->textColour(), QColor(0, 0, 255));
        EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
        EXPECT_FALSE(link->font().underline());
        enter(*link);
        EXPECT_EQ(link->textColour(), QColor(255, 0, 0));
        leave(*link);
        EXPECT_EQ(link->textColour(), QColor(0, 0, 255));
    }

    enter(*form.Label6);
    click(*form.Label6);
    EXPECT_EQ(form.Label6->textColour(), QColor(255, 0, 0)); // red until the pointer leaves
    leave(*form.Label6);
    EXPECT_EQ(form.Label6->textColour(), QColor(0, 0, 255));
    click(*form.Label9);
    click(*form.Label7);

    const std::string homepage = form.Label6->text().toStdString();
    EXPECT_EQ(shell.urls,
              (std::vector<std::string>{homepage, homepage + "/bbs", "mailto:" + form.Label7->text().toStdString()}));
    EXPECT_TRUE(shell.files.empty());
}

TEST(AboutBox, EscDoesNotCloseItButTheCloseButtonDoes)
{
    testsupport::RecordingShell shell;
    tessarin::dialogs::TForm4 form(shell);
    bool stillOpenAfterEsc = false;
    QTimer::singleShot(0, &form, [&] {
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&form, &esc);
        stillOpenAfterEsc = form.isVisible();
        form.Button1->click();
    });
    form.showAbout();
    EXPECT_TRUE(stillOpenAfterEsc);
    EXPECT_FALSE(form.isVisible());
}

} // namespace
