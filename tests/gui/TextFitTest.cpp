// Every text of the windows fits the place their layout gives it, measured
// with the font the program uses, at the design size and at the main
// window's minimum size.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableView>
#include <QToolButton>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "app/FileListModel.h"
#include "app/OperationListModel.h"
#include "app/ResizeRule.h"
#include "app/TForm1.h"
#include "dialogs/TForm2.h"
#include "dialogs/TForm3.h"
#include "dialogs/TForm4.h"
#include "finder/TForm5.h"
#include "gui/MainWindowSupport.h"
#include "platform/PosixFileSystem.h"
#include "platform/Shell.h"
#include "support/TempDir.h"
#include "widgets/WindowFont.h"

using namespace testsupport;

namespace {

QString withoutMnemonic(QString text)
{
    // "同步(&Y)" shows as "同步(Y)"; "&&" as "&".
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return text;
}

// Width the button's label needs beyond the room the style leaves for it;
// zero or less when it fits.
int pushButtonShortfall(const QPushButton& button)
{
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    option.icon = button.icon();
    option.iconSize = button.iconSize();
    if (button.autoDefault() || button.isDefault())
        option.features |= QStyleOptionButton::AutoDefaultButton;
    const QRect room = button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button);
    int needed = button.fontMetrics().horizontalAdvance(withoutMnemonic(button.text()));
    if (!button.icon().isNull())
        needed += button.iconSize().width() + 4; // the gap the style draws between icon and text
    return needed - room.width();
}

int toolButtonShortfall(const QToolButton& button)
{
    const int frame = button.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &button);
    const int needed = button.fontMetrics().horizontalAdvance(withoutMnemonic(button.text()));
    return needed - (button.width() - 2 * frame);
}

// The same for the text beside a check box.
int checkBoxShortfall(const QCheckBox& box)
{
    QStyleOptionButton option;
    option.initFrom(&box);
    option.text = box.text();
    const QRect room = box.style()->subElementRect(QStyle::SE_CheckBoxContents, &option, &box);
    return box.fontMetrics().horizontalAdvance(withoutMnemonic(box.text())) - room.width();
}

// The texts of a window that do not fit their place: buttons whose label is
// cut, check boxes narrower than their text, labels that run into another
// control or out of the window.
QStringList clippedTexts(const QWidget& window)
{
    QStringList clipped;
    const auto name = [](const QWidget* w, int by) {
        return (w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName()) +
               " \"" +
               (qobject_cast<const QAbstractButton*>(w) ? qobject_cast<const QAbstractButton*>(w)->text()
                                                        : qobject_cast<const QLabel*>(w)->text()) +
               "\" by " + QString::number(by);
    };
    // A control that reaches past the window's edge is cut by it.
    for (const QWidget* control : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (control->isVisibleTo(&window) && !control->isWindow() && !window.rect().contains(control->geometry()))
            clipped << QString::fromLatin1(control->metaObject()->className()) + " past the edge at " +
                           QString::number(control->geometry().right());
    }
    for (const QPushButton* button : window.findChildren<QPushButton*>()) {
        if (button->isVisibleTo(&window) && !button->text().isEmpty() && pushButtonShortfall(*button) > 0)
            clipped << name(button, pushButtonShortfall(*button));
    }
    for (const QToolButton* button : window.findChildren<QToolButton*>()) {
        if (button->isVisibleTo(&window) && !button->text().isEmpty() && button->width() > 0 &&
            toolButtonShortfall(*button) > 0)
            clipped << name(button, toolButtonShortfall(*button));
    }
    for (const QCheckBox* box : window.findChildren<QCheckBox*>()) {
        if (box->isVisibleTo(&window) && checkBoxShortfall(*box) > 0)
            clipped << name(box, checkBoxShortfall(*box));
    }
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (!label->isVisibleTo(&window) || label->text().isEmpty() || label->parentWidget() != &window)
            continue;
        const QRect place = label->geometry();
        const int needed = label->fontMetrics().horizontalAdvance(withoutMnemonic(label->text()));
        if (needed > place.width() || place.right() >= window.width())
            clipped << name(label, std::max(needed - place.width(), place.right() + 1 - window.width()));
        for (const QWidget* other : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (other != label && other->isVisibleTo(&window) && !other->isWindow() &&
                !qobject_cast<const QLabel*>(other) && place.intersects(other->geometry()))
                clipped << name(label, place.intersected(other->geometry()).width()) + " under " +
                               QString::fromLatin1(other->metaObject()->className());
        }
    }
    return clipped;
}

// The widest of a list's cells in one column, as its delegate measures them.
int cellsNeed(const QAbstractItemView* list, int column)
{
    return list->sizeHintForColumn(column);
}

class NoShell : public tessarin::platform::Shell {
public:
    void openUrl(const std::string&) override {}
    void openFile(const std::string&) override {}
};

class NoDrives : public tessarin::platform::Drives {
public:
    std::vector<std::string> fixedDriveRoots() override { return {"/"}; }
};

} // namespace

TEST(TextFit, TheWindowFontIsASongFaceWithHalfWidthLatinLetters)
{
    const QFont font = tessarin::widgets::windowFont();
    const QFontMetrics metrics(font);
    EXPECT_EQ(QFontInfo(font).pixelSize(), 12);
    // The layout of every window counts 12 pixels for a Chinese character
    // and 6 for a Latin letter or digit.
    EXPECT_EQ(metrics.horizontalAdvance(QStringLiteral("中")), 12) << QFontInfo(font).family().toStdString();
    for (const QString& text : {QStringLiteral("0"), QStringLiteral("9"), QStringLiteral("K"), QStringLiteral("B"),
                                QStringLiteral("M"), QStringLiteral("."), QStringLiteral(" "), QStringLiteral("(")})
        EXPECT_EQ(metrics.horizontalAdvance(text), 6) << text.toStdString();
    EXPECT_EQ(metrics.horizontalAdvance(QStringLiteral("1024.00 KB")), 60);
}

TEST(TextFit, SizesAndTimesFitTheirColumnsAtTheDesignSize)
{
    TempDir temp;
    // 1,048,575 bytes shows as "1024.00 KB"; 5 GiB (a file with a hole) as "5120.00 MB".
    writeFile(temp / "one/k", std::string(1048575, 'k'), 1000000000);
    const int fd = ::open((temp / "one/m").c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 5368709120LL), 0);
    ::close(fd);
    makeDir(temp / "two");
    ScriptedPrompt prompt;
    tessarin::app::TForm1 form;
    form.setPrompt(&prompt);
    form.edDir1->setCurrentText(QString::fromStdString(temp / "one"));
    form.edDir2->setCurrentText(QString::fromStdString(temp / "two"));
    form.ToolButton1->click();
    form.show();

    const QAbstractItemModel& files = *form.fileListModel(SyncSide::One);
    ASSERT_EQ(files.rowCount(), 2);
    EXPECT_EQ(files.index(0, 1).data().toString(), "1024.00 KB");
    EXPECT_EQ(files.index(1, 1).data().toString(), "5120.00 MB");
    EXPECT_EQ(form.dirList1->columnWidth(1), 68);
    // What the list's own cells need, margins included.
    EXPECT_LE(cellsNeed(form.dirList1, 1), 68);
    EXPECT_LE(cellsNeed(form.dirList1, 2), form.dirList1->columnWidth(2));
    // The operation words and arrows in their columns of 50.
    EXPECT_LE(cellsNeed(form.C_L1, 0), 50);
    EXPECT_LE(cellsNeed(form.C_L1, 1), 50);
    for (const QTableView* list : {form.dirList1, form.C_L1}) {
        const QHeaderView* header = list->horizontalHeader();
        for (int column = 0; column < header->count(); ++column) {
            const QString caption = list->model()->headerData(column, Qt::Horizontal).toString();
            EXPECT_LE(header->fontMetrics().horizontalAdvance(caption) + 8, header->sectionSize(column))
                << caption.toStdString();
        }
    }
}

TEST(TextFit, NoTextOfTheMainWindowIsCutAtTheDesignOrTheMinimumSize)
{
    ScriptedPrompt prompt;
    tessarin::app::TForm1 form;
    form.setPrompt(&prompt);
    form.show();
    form.resize(tessarin::app::kDesignOuterSize - tessarin::app::kDesignFrame);
    EXPECT_EQ(clippedTexts(form).join("; ").toStdString(), "");
    form.resize(tessarin::app::minimumOuterSize() - tessarin::app::kDesignFrame);
    EXPECT_EQ(clippedTexts(form).join("; ").toStdString(), "");
    EXPECT_LE(pushButtonShortfall(*form.BitBtn7), 0);
    EXPECT_LE(pushButtonShortfall(*form.BitBtn11), 0);
}

TEST(TextFit, NoTextOfTheDialogsOrTheFinderIsCut)
{
    tessarin::platform::PosixFileSystem folders;
    tessarin::dialogs::TForm2 browse(folders);
    EXPECT_EQ(clippedTexts(browse).join("; ").toStdString(), "");
    tessarin::dialogs::TForm3 options;
    EXPECT_EQ(clippedTexts(options).join("; ").toStdString(), "");
    NoShell shell;
    tessarin::dialogs::TForm4 about(shell);
    EXPECT_EQ(clippedTexts(about).join("; ").toStdString(), "");
    NoDrives drives;
    tessarin::finder::TForm5 finder(drives);
    EXPECT_EQ(clippedTexts(finder).join("; ").toStdString(), "");
}
