#pragma once
#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "core/Progress.h"
#include "dupfind/SameFileSearch.h"
#include "platform/Drives.h"
#include "platform/PosixFileReader.h"
#include "platform/PosixFileSystem.h"
#include "widgets/MessageBoxes.h"

class QCheckBox;
class QComboBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace tessarin::finder {

class FoundFilesModel;

// The same-file finder, "相同文件搜索器": searches one fixed drive or all of
// them for copies of a chosen file and deletes the copies the user checks.
// Created once; shown modally and hidden again, keeping its state.
class TForm5 : public QDialog, private dupfind::SearchView, private core::Progress {
    Q_OBJECT
public:
    // The drives service fills the range list once, when the window is made.
    explicit TForm5(platform::Drives& drives, QWidget* parent = nullptr);
    ~TForm5() override;

    // Shows the window modally, centred on the screen.
    void showFinder();

    // Where questions and notices go; a QtPrompt owned by this window
    // unless replaced (tests answer from a script).
    void setPrompt(core::Prompt& prompt);

    dupfind::SameFileSearch& search() { return search_; }
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

private:
    void buildControls();

    // SearchView
    void showRunning(bool running) override;
    bool sameExtensionOnly() override;
    void resultsCleared() override;
    void resultAdded() override;
    // Progress: the status label, repainted at once; the window kept alive.
    void setStatus(std::string_view text) override;
    void processEvents() override;

    platform::Drives& drives_;
    platform::PosixFileSystem fileSystem_;
    platform::PosixFileReader reader_;
    widgets::QtPrompt ownPrompt_;
    core::Prompt* prompt_;
    dupfind::SameFileSearch search_;
    FoundFilesModel* model_;
    std::vector<std::string> rangeEntries_;
};

} // namespace tessarin::finder

// The one same-file finder of the program, made at start-up after the dialogs.
extern tessarin::finder::TForm5* Form5;
