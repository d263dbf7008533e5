#pragma once
#include <QDialog>
#include <QIcon>
#include <set>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace tessarin::platform {
class FileSystem;
}

namespace tessarin::dialogs {

// The folder browse dialog, "浏览目录": a tree of the file system's folders
// from "/" and a path field. OK puts the path into directory one's or
// directory two's field. The dialog lives for the whole run, so the tree's
// expansion and selection and the path field are kept between openings.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(platform::FileSystem& fileSystem, QWidget* parent = nullptr);

    // The two fields that OK fills: BrowseTarget 1 fills edDir1, 2 fills edDir2.
    void setTargets(QComboBox* edDir1, QComboBox* edDir2);

    // Opens the dialog modally for directory one (1) or two (2): sets
    // BrowseTarget, re-reads the tree, shows the dialog until it closes.
    void browse(int target);

    // Re-reads every folder shown, keeping the expanded branches, the
    // selected folder and the top row; the busy pointer shows meanwhile.
    void ReloadTree();

    // The full path that a tree node stands for, as the file system's bytes.
    static std::string folderPath(const QTreeWidgetItem& item);

    // Which field OK fills: 1 edDir1, 2 edDir2, anything else none.
    int BrowseTarget = 0;

    QTreeWidget* ShellTreeView1;
    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* Button1;
    QPushButton* Button2;

    void ShellTreeView1Change();
    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void restoreTopRow();
    QTreeWidgetItem* addFolder(QTreeWidgetItem* parent, const std::string& path, const QString& label);
    void populate(QTreeWidgetItem& item);
    void restoreBranch(QTreeWidgetItem& item, const std::set<std::string>& expanded,
                       const std::set<std::string>& reached);
    QTreeWidgetItem* findFolder(const std::string& path) const;

    platform::FileSystem& fileSystem_;
    QIcon folderIcon_;      // the desktop's folder icon, or the style's
    std::string topFolder_; // the folder at the top of the view when the tree was re-read
    QComboBox* edDir1_ = nullptr;
    QComboBox* edDir2_ = nullptr;
};

} // namespace tessarin::dialogs

// The folder browse dialog of the program, created once at start-up.
extern tessarin::dialogs::TForm2* Form2;
