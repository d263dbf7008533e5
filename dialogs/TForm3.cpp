#include "dialogs/TForm3.h"

#include <QCheckBox>
#include <QPushButton>
#include <QStyle>

#include "core/Error.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsPath.h"
#include "widgets/MessageBoxes.h"
#include "widgets/TextConversion.h"
#include "widgets/WindowFont.h"

tessarin::dialogs::TForm3* Form3 = nullptr;

namespace tessarin::dialogs {

namespace {

QCheckBox* checkBox(QWidget* parent, const QString& text, QRect geometry)
{
    auto* box = new QCheckBox(text, parent);
    box->setGeometry(geometry);
    return box;
}

QPushButton* imageButton(QWidget* parent, const QString& text, QStyle::StandardPixmap image, QRect geometry)
{
    auto* button = new QPushButton(parent->style()->standardIcon(image), text, parent);
    button->setIconSize(QSize(16, 16));
    button->setGeometry(geometry);
    return button;
}

} // namespace

TForm3::TForm3(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::CustomizeWindowHint)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("同步选项"));
    setFont(widgets::windowFont());
    setFixedSize(265, 161);

    CheckBox1 = checkBox(this, QStringLiteral("删除目标目录的旧文件(&D)"), {16, 12, 161, 21});
    CheckBox2 = checkBox(this, QStringLiteral("同步文件的属性(&A)"), {16, 44, 125, 21});
    CheckBox3 = checkBox(this, QStringLiteral("同步子文件夹的内容(&S)"), {16, 76, 149, 21});
    BitBtn1 = imageButton(this, QStringLiteral("确定"), QStyle::SP_DialogOkButton, {32, 116, 81, 29});
    BitBtn2 = imageButton(this, QStringLiteral("取消"), QStyle::SP_DialogCancelButton, {152, 116, 81, 29});
    BitBtn1->setDefault(true);

    setTabOrder(CheckBox1, CheckBox2);
    setTabOrder(CheckBox2, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);
    setTabOrder(BitBtn2, CheckBox3);

    connect(BitBtn1, &QPushButton::clicked, this, &TForm3::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm3::BitBtn2Click);
}

sync::SyncOptions TForm3::options() const
{
    return {.deleteOldFile = CheckBox1->isChecked(),
            .syncAttributes = CheckBox2->isChecked(),
            .syncSubFolder = CheckBox3->isChecked()};
}

void TForm3::setOptions(const sync::SyncOptions& options)
{
    CheckBox1->setChecked(options.deleteOldFile);
    CheckBox2->setChecked(options.syncAttributes);
    CheckBox3->setChecked(options.syncSubFolder);
}

void TForm3::BitBtn1Click()
{
    try {
        settings::SettingsFile(settings::settingsFilePath()).saveOptions(options());
    } catch (const core::Error& e) {
        // The dialog stays open with the states as they are; they are in effect.
        widgets::showStandardError(this, widgets::displayText(e.what()));
        return;
    }
    accept();
}

void TForm3::BitBtn2Click()
{
    // The check boxes are not restored: a change stays in effect for this run.
    reject();
}

void TForm3::showEvent(QShowEvent* event)
{
    // Opens centred on the screen, not on the window that opened it.
    widgets::centreOnScreen(*this);
    QDialog::showEvent(event);
}

} // namespace tessarin::dialogs
