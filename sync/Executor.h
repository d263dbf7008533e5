#pragma once
// The synchronisation executor: the five commands of the main window over the
// operation lists of a SyncSession. Declared here as the contract between the
// executor and its callers (window, tessarin-cli, tests).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Error.h"
#include "core/Progress.h"
#include "sync/Operation.h"
#include "sync/SyncOptions.h"
#include "sync/SyncSession.h"

namespace tessarin::sync {

// What failed: a row, a directory that the directory pass could not create
// or remove, or the flush that puts a command's writes onto the disk.
enum class FailureKind { Row, Folder, Flush };

// One row that was run and failed, or one directory of the directory pass
// (fileName then holds the directory's path), with the system's reason.
struct RowFailure {
    SyncSide side = SyncSide::One;
    Operation operation = Operation::Update;
    std::string fileName;
    std::string reason;
    FailureKind kind = FailureKind::Row;
};

// The word a failure is listed under: the row's operation word, "目录" or "写入".
inline std::string_view failureWord(const RowFailure& failure)
{
    switch (failure.kind) {
    case FailureKind::Folder:
        return "目录";
    case FailureKind::Flush:
        return "写入";
    case FailureKind::Row:
        break;
    }
    return operationWord(failure.operation);
}

// Something a row did that its user should know, though it did not fail:
// a copy whose time the target volume cannot hold was given the nearest
// time it holds (both in whole local seconds).
struct RowNote {
    SyncSide side = SyncSide::One;
    std::string fileName;
    std::int64_t time = 0;
    std::int64_t stored = 0;
};

// An error that stopped a command at a row (a file standing where a
// directory is needed for a copy): its text, every failure collected before
// it, copies still under way included, and how many rows were not run: the
// row that stopped it and every row after it.
class CommandStopped : public core::Error {
public:
    CommandStopped(const std::string& text, std::vector<RowFailure> failures, std::size_t notRun)
        : core::Error(text), failures_(std::move(failures)), notRun_(notRun)
    {}
    const std::vector<RowFailure>& failures() const { return failures_; }
    std::size_t notRun() const { return notRun_; }

private:
    std::vector<RowFailure> failures_;
    std::size_t notRun_;
};

// The five commands: the three whole-list ones and "执行" under a list.
enum class SyncCommand { OneToTwo, TwoToOne, BothWays, CheckedRows };

// The side whose files a one-way whole-list command carries over; none for
// the two-way command and the checked rows (whose side is their list's).
std::optional<SyncSide> sourceSide(SyncCommand command);

// What one command did: all its caller needs to tell the user.
struct SyncReport {
    SyncCommand command = SyncCommand::OneToTwo;
    // False when the command returned at once: nothing to do (empty lists),
    // refused (a compare or another command under way, a missing source root,
    // nested roots), with no refresh.
    bool ran = false;
    // True when the command was refused with a notice (a missing source root,
    // nested or identical roots); nothing was changed.
    bool refused = false;
    std::string refusal; // that notice
    std::size_t rowsRun = 0;
    // True when the user stopped the command (Esc, closing the window, an
    // interrupt) before its last row; notRun rows did not begin.
    bool stopped = false;
    std::size_t notRun = 0;
    std::vector<RowFailure> failures;
    // Shown after the failures, in the order of the rows.
    std::vector<RowNote> notes;
};

// One row of a command: its list and its place in that list.
struct PlannedRow {
    SyncSide side;
    std::size_t index;
};

// The bytes a row copies (its source file's size; 0 for a row that copies
// nothing). With the plan and Progress::setFraction's row number, a caller
// shows how many bytes are done.
std::uint64_t copiedBytes(const SyncSession& session, const PlannedRow& row);

class SyncExecutor {
public:
    // progress: row number and total while rows run, then the refresh's texts.
    // The executor shows no message: its caller tells the report
    // (messages::tellSyncReport).
    SyncExecutor(SyncSession& session, core::Progress& progress);

    // The whole-list commands and the checked-rows command. Options are those
    // in force when the command starts. A directory that cannot be created for
    // a copy throws CommandStopped: later rows are not run, no refresh, no
    // report, and the status says "同步已中止。"; only one outside
    // the root or whose name the volume cannot hold fails its rows alone. A
    // directory the directory pass could not create or remove is a failure
    // of kind Folder, reported once per command. A stop request
    // (progress.stopRequested()) is heard before each row: the rows run so
    // far stay done, the copies under way finish, what was written is
    // flushed, the lists are refreshed and the report says how many rows
    // did not run.
    SyncReport SyncOneToTwo(const SyncOptions& options);
    SyncReport SyncTwoToOne(const SyncOptions& options);
    SyncReport SyncBothWays(const SyncOptions& options);
    SyncReport RunCheckedRows(SyncSide side, const SyncOptions& options);

    // The rows a whole-list command (OneToTwo, TwoToOne or BothWays) would
    // run with the options, in the order they would run; changes nothing.
    std::vector<PlannedRow> planWholeList(SyncCommand command, const SyncOptions& options);

    // Whether a command compares both roots again when it has run, so that the
    // session's lists show what is left to do (the window's lists). A caller
    // that shows no lists (tessarin-cli) turns it off and saves a second walk
    // of both trees.
    void setRefreshAfterCommand(bool refresh) { refresh_ = refresh; }

private:
    SyncSession& session_;
    core::Progress& progress_;
    bool refresh_ = true;
};

} // namespace tessarin::sync
