#pragma once
#include <QDialog>

#include "sync/SyncOptions.h"

class QCheckBox;
class QPushButton;

namespace tessarin::dialogs {

// The synchronisation options dialog. Its three check boxes are the options
// themselves: the listing and the executor read them when they need them, so
// a change takes effect at once, saved or not. "确定" saves them to the
// settings file and closes; "取消", Esc and the close box only close.
class TForm3 : public QDialog {
    Q_OBJECT

public:
    explicit TForm3(QWidget* parent = nullptr);

    sync::SyncOptions options() const;
    void setOptions(const sync::SyncOptions& options);

    QCheckBox* CheckBox1; // "DeleteOldFile"
    QCheckBox* CheckBox2; // "SnycAttributes"
    QCheckBox* CheckBox3; // "SyncSubFolder"
    QPushButton* BitBtn1; // "确定"
    QPushButton* BitBtn2; // "取消"

public slots:
    void BitBtn1Click();
    void BitBtn2Click();

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace tessarin::dialogs

// The options dialog, created once at start-up (after the main window).
extern tessarin::dialogs::TForm3* Form3;
