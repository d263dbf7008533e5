#pragma once
#include <string>
#include <vector>

#include "sync/Operation.h"

namespace tessarin::platform {
struct Services;
}

namespace tessarin::sync {
class SyncSession;
}

namespace tessarin::cli {

class Output;

using Arguments = std::vector<std::string>;

// Exit codes, besides 0 (done) and kInterruptedExit (cli/Interrupt.h).
// Something failed: a row, a file or directory that could not be read, a
// refused sync, a write to standard output.
inline constexpr int kFailureExit = 1;
// The command line is wrong, or find-copies' ROOT cannot be searched.
inline constexpr int kUsageExit = 2;
// A sync refused before any change to keep a script from deleting too much:
// more deletions than --max-delete, or an empty source with deletion.
inline constexpr int kRefusedExit = 3;

// Each subcommand takes the arguments after its name and the services main
// built, and returns the exit code.
int runCompare(const Arguments& args, platform::Services& services);
int runSync(const Arguments& args, platform::Services& services);
int runMd5(const Arguments& args, platform::Services& services);
int runDrives(const Arguments& args, platform::Services& services);
int runFindCopies(const Arguments& args, platform::Services& services);

// One row as compare prints it: arrow TAB word TAB name.
void printRow(Output& out, const sync::SyncSession& session, sync::SyncSide side, std::size_t index);
// Prints the rows of C_L1, then those of C_L2.
void printOperationLists(Output& out, const sync::SyncSession& session);

// Names on standard error each directory the last compare could not read
// (what lies inside is left out); returns whether there was any.
bool reportUnreadable(const sync::SyncSession& session);

} // namespace tessarin::cli
