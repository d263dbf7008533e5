// The main window's handlers: each a few lines over the core.
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QProgressBar>

#include "app/FileListModel.h"
#include "app/OperationListModel.h"
#include "app/QtProgress.h"
#include "app/TForm1.h"
#include "app/WindowPrompt.h"
#include "app/Workspace.h"
#include "dialogs/Help.h"
#include "dialogs/TForm2.h"
#include "dialogs/TForm3.h"
#include "dialogs/TForm4.h"
#include "finder/TForm5.h"
#include "messages/CompletionText.h"
#include "messages/SyncMessages.h"
#include "platform/IoSteps.h"
#include "platform/Path.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsPath.h"
#include "widgets/CommandJob.h"
#include "widgets/DesktopShell.h"
#include "widgets/DirectoryHistory.h"
#include "widgets/MessageBoxes.h"
#include "widgets/TextConversion.h"

namespace tessarin::app {

core::Prompt& TForm1::prompt()
{
    return *prompt_;
}

void TForm1::setPrompt(core::Prompt* replacement)
{
    prompt_->use(replacement);
}

platform::Shell& TForm1::shell()
{
    return *shell_;
}

void TForm1::setShell(platform::Shell* replacement)
{
    shell_ = replacement ? replacement : desktopShell_.get();
}

sync::SyncOptions TForm1::currentOptions() const
{
    // The options are the check states of the options dialog, read now.
    return Form3 ? Form3->options() : sync::SyncOptions{};
}

// --- Commands ---------------------------------------------------------------

void TForm1::runCommand(std::function<void(Workspace&)> work)
{
    if (command_)
        return;
    const std::shared_ptr<Workspace> workspace = workspace_;
    const std::shared_ptr<WindowLink> link = workspace->link;
    command_ = std::make_unique<widgets::RunningCommand>([link] {
        // A question open in a box counts as life, and so does every piece a
        // copy moves: a long copy makes no progress call till its row ends.
        return link->activity.load() + link->asking.load() * 0x100000000ULL + platform::ioSteps();
    });
    workspace->progress.clearStop();
    stProgress->setRange(0, 0);
    stProgress->show();

    const widgets::CommandJob::End end = command_->job.run([workspace, work = std::move(work)] { work(*workspace); });

    QString error;
    QString failures;
    std::string details;
    try {
        if (end == widgets::CommandJob::End::Finished && command_->job.error())
            std::rethrow_exception(command_->job.error());
    } catch (const sync::CommandStopped& e) {
        // The box shows what stopped the command, how many rows did not run
        // and what had failed before; its details list every failure.
        error = widgets::displayText(e.what());
        std::string text = messages::notRunText(e.notRun());
        if (!e.failures().empty())
            text += "\n\n" + messages::failureListText(e.failures());
        failures = widgets::displayText(text);
        details = messages::failureDetailsText(e.failures());
    } catch (const std::exception& e) {
        error = widgets::displayText(e.what());
    }

    const bool closeAsked = command_->closeAsked;
    if (end == widgets::CommandJob::End::LetGo) {
        // A volume holds the job inside the kernel: it ends on its own, and
        // nothing it did or saw reaches the window any more.
        const bool comparing = workspace->session.comparing();
        takeFreshWorkspace();
        setStatusText(comparing ? QStringLiteral("比较已停止。") : QStringLiteral("同步已停止。"));
        if (!comparing && !closeAsked)
            error = QStringLiteral("同步已停止：有一个卷没有回应。正在进行的操作将在它回应时结束，其后的操作不再执行。"
                                   "列表已清空，请重新比较。");
    }
    command_.reset();
    stProgress->hide();
    if (!error.isNull())
        reportError(error, failures, details);
    if (closeAsked)
        close();
}

void TForm1::runGuarded(const std::function<void()>& work)
{
    try {
        work();
    } catch (const std::exception& e) {
        reportError(widgets::displayText(e.what()));
    }
}

void TForm1::reportError(const QString& text, const QString& detail, const std::string& details)
{
    QString full = widgets::standardErrorText(text);
    if (!detail.isEmpty())
        full += QStringLiteral("\n\n") + detail;
    const std::string shown = full.toStdString();
    prompt().tell(shown, "Tessarin", core::MessageIcon::Error, details);
}

void TForm1::beforeMessageBox()
{
    // A box ends or interrupts the run: the bar does not go on moving under it.
    stProgress->hide();
}

std::function<void(Workspace&)> TForm1::compareWork()
{
    // A history entry keeps its own bytes, so a name that is not UTF-8 is found.
    std::optional<std::string> root1 = platform::rootTextOf(widgets::currentPath(*edDir1));
    std::optional<std::string> root2 = platform::rootTextOf(widgets::currentPath(*edDir2));
    if (!root1 || !root2)
        return nullptr;
    widgets::showRootText(*edDir1, *root1);
    widgets::showRootText(*edDir2, *root2);
    return [root1 = std::move(*root1), root2 = std::move(*root2), options = currentOptions()](Workspace& w) {
        if (w.session.CompareDirectories(root1, root2, options, w.progress))
            messages::tellUnreadable(w.session, w.prompt);
    };
}

void TForm1::runSync(std::function<sync::SyncReport(sync::SyncExecutor&)> command)
{
    if (command_)
        return;
    showComparedRoots();
    // The executor has refreshed the lists when it returns; the message
    // comes after, on the GUI thread through the job's prompt.
    runCommand(
        [command = std::move(command)](Workspace& w) { messages::tellSyncReport(command(w.executor), w.prompt); });
}

void TForm1::showComparedRoots()
{
    // A synchronisation runs the rows of the last compare against its roots,
    // and its refresh lists them again: the fields show those roots, so no
    // list stands under another directory's name. Before any compare there
    // are no rows, nothing runs, and the fields stay as they are.
    if (session().list(sync::SyncSide::One).empty() && session().list(sync::SyncSide::Two).empty())
        return;
    widgets::showPath(*edDir1, session().root(sync::SyncSide::One).fieldText());
    widgets::showPath(*edDir2, session().root(sync::SyncSide::Two).fieldText());
}

void TForm1::ToolButton1Click()
{
    if (command_)
        return;
    if (auto work = compareWork())
        runCommand(std::move(work));
}

void TForm1::C2Click()
{
    ToolButton1Click();
}

void TForm1::BitBtn2Click()
{
    runSync([options = currentOptions()](sync::SyncExecutor& executor) { return executor.SyncOneToTwo(options); });
}

void TForm1::ToolButton2Click()
{
    BitBtn2Click();
}

void TForm1::L1Click()
{
    BitBtn2Click();
}

void TForm1::BitBtn3Click()
{
    runSync([options = currentOptions()](sync::SyncExecutor& executor) { return executor.SyncTwoToOne(options); });
}

void TForm1::ToolButton3Click()
{
    BitBtn3Click();
}

void TForm1::R1Click()
{
    BitBtn3Click();
}

void TForm1::BitBtn4Click()
{
    runSync([options = currentOptions()](sync::SyncExecutor& executor) { return executor.SyncBothWays(options); });
}

void TForm1::ToolButton4Click()
{
    BitBtn4Click();
}

void TForm1::E1Click()
{
    BitBtn4Click();
}

void TForm1::BitBtn7Click()
{
    runSync([options = currentOptions()](sync::SyncExecutor& executor) {
        return executor.RunCheckedRows(sync::SyncSide::One, options);
    });
}

void TForm1::BitBtn11Click()
{
    runSync([options = currentOptions()](sync::SyncExecutor& executor) {
        return executor.RunCheckedRows(sync::SyncSide::Two, options);
    });
}

// --- Selection --------------------------------------------------------------

void TForm1::setAllChecked(sync::SyncSide side, bool checked)
{
    if (!command_)
        operationModels_[sync::sideIndex(side)]->setAllChecked(checked);
}

void TForm1::invertChecked(sync::SyncSide side)
{
    if (!command_)
        operationModels_[sync::sideIndex(side)]->invertChecked();
}

void TForm1::BitBtn1Click()
{
    setAllChecked(sync::SyncSide::One, true);
}

void TForm1::BitBtn5Click()
{
    setAllChecked(sync::SyncSide::One, false);
}

void TForm1::BitBtn6Click()
{
    invertChecked(sync::SyncSide::One);
}

void TForm1::BitBtn8Click()
{
    setAllChecked(sync::SyncSide::Two, true);
}

void TForm1::BitBtn9Click()
{
    setAllChecked(sync::SyncSide::Two, false);
}

void TForm1::BitBtn10Click()
{
    invertChecked(sync::SyncSide::Two);
}

// --- Other windows ----------------------------------------------------------
// The browse dialog (Form2), the options dialog (Form3), the About box
// (Form4), the duplicate finder (Form5) and the help file: each handler shows
// its window once that window exists (tests make only the windows they use).

void TForm1::Button1Click()
{
    if (Form2 && !command_)
        Form2->browse(1);
}

void TForm1::Button2Click()
{
    if (Form2 && !command_)
        Form2->browse(2);
}

void TForm1::ToolButton8Click()
{
    // Its result is not looked at: the check boxes are the options either way.
    if (Form3 && !command_)
        Form3->exec();
}

void TForm1::C1Click()
{
    ToolButton8Click();
}

void TForm1::ToolButton13Click()
{
    // The same-file finder, shown modally; its result is not looked at.
    if (Form5 && !command_)
        Form5->showFinder();
}

void TForm1::F1Click()
{
    ToolButton13Click();
}

void TForm1::H2Click()
{
    dialogs::openHelp(shell());
}

void TForm1::A1Click()
{
    if (Form4 && !command_)
        Form4->showAbout();
}

void TForm1::X1Click()
{
    close();
}

// --- Window events ----------------------------------------------------------

void TForm1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        runGuarded([this] { FormShow(); });
    }
}

void TForm1::FormShow()
{
    // The options go into the options dialog's check boxes, the histories
    // into the path fields' lists; no directory is preselected.
    const settings::StoredSettings stored = settings::SettingsFile(settings::settingsFilePath()).load();
    if (Form3)
        Form3->setOptions(stored.options);
    widgets::appendHistory(*edDir1, stored.histories.dirs1);
    widgets::appendHistory(*edDir2, stored.histories.dirs2);
}

bool TForm1::FormCloseQuery()
{
    // A failed save is reported, and the window still closes: with the file
    // unwritable, refusing would leave the user unable to quit.
    runGuarded([this] {
        settings::SettingsFile(settings::settingsFilePath())
            .saveHistories({widgets::historyOf(*edDir1), widgets::historyOf(*edDir2)});
    });
    return true;
}

void TForm1::keyPressEvent(QKeyEvent* event)
{
    // Esc stops a compare or the rows of a synchronisation under way;
    // otherwise it means nothing here.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && command_) {
        requestStop(false);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TForm1::requestStop(bool lasting)
{
    // Heard at once, though the row under way or a copy may take a while.
    Workspace& w = *workspace_;
    if (!w.session.comparing() && !w.progress.stopRequested())
        w.progress.setStatus("正在停止同步...");
    w.progress.requestStop(lasting);
    if (command_)
        command_->job.stopAsked();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (command_) {
        // A running job reads the tables this window shows: the close waits
        // until it ends. A compare stops, and so does a synchronisation
        // after the row under way (the copies handed over finish), with the
        // compare that would refresh the lists after it. A job held by a
        // volume that does not answer is let go within a second.
        command_->closeAsked = true;
        requestStop(true);
        event->ignore();
        return;
    }
    bool canClose = true;
    runGuarded([&] { canClose = FormCloseQuery(); });
    if (canClose)
        event->accept();
    else
        event->ignore();
}

} // namespace tessarin::app
