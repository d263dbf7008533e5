#pragma once
#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "dupfind/FoundFiles.h"
#include "platform/Drives.h"
#include "platform/PosixFileSystem.h"
#include "widgets/MessageBoxes.h"

class QCheckBox;
class QComboBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace tessarin::widgets {
struct RunningCommand;
}

namespace tessarin::finder {

class FoundFilesModel;
class SearchJob;

// The same-file finder, "相同文件搜索器": searches one fixed drive or all of
// them for copies of a chosen file and deletes the copies the user checks.
// Created once; shown modally and hidden again, keeping its state. A search
// runs as a job off the GUI thread (SearchJob); the rows it finds come to
// the window, which owns them, so they are checked and deleted while it runs.
class TForm5 : public QDialog {
    Q_OBJECT
public:
    // The drives service fills the range list once, when the window is made.
    explicit TForm5(platform::Drives& drives, QWidget* parent = nullptr);
    // A finder over another file system (tests act from inside a search).
    TForm5(platform::Drives& drives, platform::FileSystem& fileSystem, QWidget* parent = nullptr);
    ~TForm5() override;

    // Shows the window modally, centred on the screen.
    void showFinder();

    // Where questions and notices go; a QtPrompt owned by this window
    // unless replaced (tests answer from a script).
    void setPrompt(core::Prompt& prompt);
    core::Prompt& prompt() { return *prompt_; }

    // The rows found, as the list shows them.
    const dupfind::FoundFiles& foundRows() const { return rows_; }
    bool searching() const { return command_ != nullptr; }
    FoundFilesModel& resultModel() { return *model_; }
    // The range entries as the search takes them: "全部磁盘驱动器", then the drive roots.
    const std::vector<std::string>& rangeEntries() const { return rangeEntries_; }

    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* Button1;
    QLabel* Label2;
    QComboBox* dirList;
    QCheckBox* CheckBox1;
    QPushButton* Button2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QTableView* RList;
    QPushButton* BitBtn1;
    QPushButton* BitBtn5;
    QPushButton* BitBtn6;
    QPushButton* BitBtn7;
    QFileDialog* od;

    void FormCreate();
    void Button1Click();
    void Button2Click();
    void BitBtn1Click();
    void BitBtn5Click();
    void BitBtn6Click();
    void BitBtn7Click();

    // Closing the window (its close box, Esc) stops a running search first.
    void done(int result) override;

    // What a search job shows (GUI thread).
    void showRunning(bool running);
    void clearRows();
    void addRow(const dupfind::FoundFile& row);
    void showStatus(std::string_view text);

private:
    void buildControls();
    void stopSearch();

    platform::Drives& drives_;
    platform::PosixFileSystem ownFileSystem_;
    platform::FileSystem& fileSystem_;
    widgets::QtPrompt ownPrompt_;
    core::Prompt* prompt_;
    dupfind::FoundFiles rows_;
    FoundFilesModel* model_;
    std::vector<std::string> rangeEntries_;
    // The search under way, if any, and the command state that holds it.
    std::shared_ptr<SearchJob> job_;
    std::unique_ptr<widgets::RunningCommand> command_;
};

} // namespace tessarin::finder

// The one same-file finder of the program, made at start-up after the dialogs.
extern tessarin::finder::TForm5* Form5;
