#pragma once
#include <QWidget>
#include <functional>
#include <memory>

#include "core/Prompt.h"
#include "platform/PosixFileSystem.h"
#include "platform/Shell.h"
#include "sync/SyncOptions.h"
#include "sync/SyncSession.h"

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTableView;
class QToolBar;
class QToolButton;

namespace tessarin::widgets {
class DesktopShell;
struct RunningCommand;
} // namespace tessarin::widgets

namespace tessarin::app {

class FileListModel;
class OperationListModel;
class WindowLists;
class WindowPrompt;
struct MainWindowLayout;
struct WindowLink;
struct Workspace;
} // namespace tessarin::app

namespace tessarin::sync {
class SyncExecutor;
struct SyncReport;
} // namespace tessarin::sync

namespace tessarin::app {

// The main window: two path fields, the file lists of both sides, the two
// operation lists with their buttons, the menu row, the command bar and the
// status bar. Its handlers are a few lines each over the SyncSession and the
// executor. A compare or synchronisation runs as a job off the GUI thread;
// while it runs no other command or dialog is begun, and a close asked for
// then happens when it ends.
class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    // A window over another file system (tests use one that refuses to read).
    explicit TForm1(platform::FileSystem& fileSystem, QWidget* parent = nullptr);
    ~TForm1() override;

    // The controls, by their names.
    QFrame* CoolBar1;
    QToolBar* ToolBar2;        // menu row
    QToolButton* ToolButton9;  // "系统(&S)" -> S1
    QToolButton* ToolButton5;  // "同步(&Y)" -> Y1
    QToolButton* ToolButton10; // "工具(&T)" -> T1
    QToolButton* ToolButton11; // "帮助(&H)" -> H1
    QMenu* S1;
    QAction* C1; // "同步选项(&C)"
    QAction* N2;
    QAction* X1; // "退出程序(&X)"
    QMenu* Y1;
    QAction* C2; // "比较目录(&C)"
    QAction* N1;
    QAction* L1; // "目录一到二(&L)"
    QAction* R1; // "目录二到一(&R)"
    QAction* E1; // "双向同步(&E)"
    QMenu* T1;
    QAction* F1; // "相同文件搜索器(&F)"
    QMenu* H1;
    QAction* H2;               // "帮助主题(&H)", F1
    QAction* A1;               // "关于(&A)..."
    QToolBar* ToolBar1;        // command bar
    QToolButton* ToolButton1;  // "比较目录"
    QAction* ToolButton6;      // separator
    QToolButton* ToolButton2;  // "目录一到二"
    QToolButton* ToolButton3;  // "目录二到一"
    QToolButton* ToolButton4;  // "双向同步"
    QAction* ToolButton7;      // separator
    QToolButton* ToolButton8;  // "同步选项"
    QAction* ToolButton12;     // separator
    QToolButton* ToolButton13; // "相同文件搜索"
    QLabel* Label1;
    QComboBox* edDir1;
    QPushButton* Button1;
    QLabel* Label2;
    QComboBox* edDir2;
    QPushButton* Button2;
    QTableView* dirList1;
    QTableView* dirList2;
    QPushButton* BitBtn2;
    QPushButton* BitBtn3;
    QPushButton* BitBtn4;
    QLabel* Label3;
    QLabel* Label4;
    QTableView* C_L1;
    QTableView* C_L2;
    QPushButton* BitBtn1;
    QPushButton* BitBtn5;
    QPushButton* BitBtn6;
    QPushButton* BitBtn7;
    QPushButton* BitBtn8;
    QPushButton* BitBtn9;
    QPushButton* BitBtn10;
    QPushButton* BitBtn11;
    QStatusBar* st;
    QProgressBar* stProgress; // at the right end of st while a compare or sync runs

    // The text of the status bar's panel.
    QString statusText() const;

    sync::SyncSession& session();
    FileListModel* fileListModel(sync::SyncSide side) const;
    OperationListModel* operationListModel(sync::SyncSide side) const;

    // The synchronisation options in force now.
    sync::SyncOptions currentOptions() const;

    // Message boxes of this window (completions, notices, the standard error
    // box). Tests put a scripted prompt in place of the real boxes.
    core::Prompt& prompt();
    void setPrompt(core::Prompt* replacement); // nullptr: the window's own message boxes

    // The desktop's "open" service, for the help file. Tests put a recording
    // shell in place of the desktop's.
    platform::Shell& shell();
    void setShell(platform::Shell* replacement); // nullptr: the desktop's own

    // True while a compare or a synchronisation runs.
    bool commandRunning() const { return command_ != nullptr; }

    // Runs a handler's work as a command of this window, on a job thread
    // with the window's events going on: not begun while another runs; an
    // exception leaving it is shown in the standard error box and the
    // program goes on. The work reaches the window only through the
    // workspace it is given.
    void runCommand(std::function<void(Workspace&)> work);
    // The same for a short handler that runs no long loop (dialogs, help):
    // only the standard error box.
    void runGuarded(const std::function<void()>& work);

public slots:
    // Compare.
    void ToolButton1Click();
    void C2Click();
    // One to two, two to one, two-way.
    void BitBtn2Click();
    void ToolButton2Click();
    void L1Click();
    void BitBtn3Click();
    void ToolButton3Click();
    void R1Click();
    void BitBtn4Click();
    void ToolButton4Click();
    void E1Click();
    // Execute the checked rows of C_L1, of C_L2.
    void BitBtn7Click();
    void BitBtn11Click();
    // Select all, none, invert: C_L1, then C_L2.
    void BitBtn1Click();
    void BitBtn5Click();
    void BitBtn6Click();
    void BitBtn8Click();
    void BitBtn9Click();
    void BitBtn10Click();
    // Browse for directory one, two.
    void Button1Click();
    void Button2Click();
    // Options.
    void ToolButton8Click();
    void C1Click();
    // Duplicate finder.
    void ToolButton13Click();
    void F1Click();
    // Help, About, Exit.
    void H2Click();
    void A1Click();
    void X1Click();

    // Window events.
    void FormShow();       // first shown: load the settings file
    void FormResize();     // apply the resize rule
    bool FormCloseQuery(); // about to close: save the histories; never vetoes

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend class QtProgress;

    void createMenus();
    void createBandBar();
    void createControls();
    void applyLayout(const MainWindowLayout& layout);

    // The work of the compare command on the root texts of the fields.
    std::function<void(Workspace&)> compareWork();
    // A synchronisation command on the job thread; its report is told
    // through the workspace's prompt once the lists are refreshed.
    void runSync(std::function<sync::SyncReport(sync::SyncExecutor&)> command);
    void showComparedRoots();
    // A job let go takes its workspace with it; the window shows a fresh one.
    void takeFreshWorkspace();
    void setAllChecked(sync::SyncSide side, bool checked);
    void invertChecked(sync::SyncSide side);
    // The standard error box; detail (a failure list) follows the error's
    // text, and details (every failure) are the box's detailed text.
    void reportError(const QString& text, const QString& detail = QString(), const std::string& details = {});

    // Esc (lasting false) or closing the window (true) during a command.
    void requestStop(bool lasting);
    void beforeMessageBox();
    void setStatusText(const QString& text);
    void setFraction(std::uint64_t done, std::uint64_t total);

    platform::PosixFileSystem posixFileSystem_; // the file system, unless the creator gave another
    platform::FileSystem& fileSystem_;
    FileListModel* fileModels_[2];
    OperationListModel* operationModels_[2];
    QLabel* stPanel_;
    std::unique_ptr<WindowLists> lists_;
    std::shared_ptr<Workspace> workspace_;
    std::unique_ptr<WindowPrompt> prompt_;
    std::unique_ptr<widgets::DesktopShell> desktopShell_;
    platform::Shell* shell_;
    // The one command state: the command under way, if any.
    std::unique_ptr<widgets::RunningCommand> command_;
    bool shownOnce_ = false;
};

} // namespace tessarin::app

// The windows of the program, created once at start-up.
extern tessarin::app::TForm1* Form1;
