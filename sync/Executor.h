#pragma once
// The synchronisation executor: the five commands of the main window over the
// operation lists of a SyncSession. Declared here as the contract between the
// executor and its callers (window, tessarin-cli, tests).
#include <string>
#include <vector>

#include "core/Progress.h"
#include "core/Prompt.h"
#include "sync/Operation.h"
#include "sync/SyncOptions.h"
#include "sync/SyncSession.h"

namespace tessarin::sync {

// One row that was run and failed, with the system's reason.
struct RowFailure {
    SyncSide side = 1;
    Operation operation = Operation::Update;
    std::string fileName;
    std::string reason;
};

// What one command did.
struct SyncReport {
    // False when the command returned at once: nothing to do (empty lists),
    // refused (a compare or another command under way, a missing source root,
    // nested roots), with no refresh.
    bool ran = false;
    // True when the command was refused with a notice (a missing source root,
    // nested or identical roots); nothing was changed.
    bool refused = false;
    std::size_t rowsRun = 0;
    std::vector<RowFailure> failures;
};

class SyncExecutor {
public:
    // progress: row number and total while rows run, then the refresh's texts.
    // prompt: the completion message, the failure report and refusal notices.
    SyncExecutor(SyncSession& session, Progress& progress, Prompt& prompt);

    // The whole-list commands and the checked-rows command. Options are those
    // in force when the command starts. A directory that cannot be created for
    // a copy throws tessarin::Error: later rows are not run, no refresh, no
    // completion message.
    SyncReport SyncOneToTwo(const SyncOptions& options);
    SyncReport SyncTwoToOne(const SyncOptions& options);
    SyncReport SyncBothWays(const SyncOptions& options);
    SyncReport RunCheckedRows(SyncSide side, const SyncOptions& options);

private:
    SyncSession& session_;
    Progress& progress_;
    Prompt& prompt_;
};

} // namespace tessarin::sync
