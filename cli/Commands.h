#pragma once
#include <string>
#include <vector>

namespace tessarin::sync {
class SyncSession;
}

namespace tessarin::cli {

using Arguments = std::vector<std::string>;

// Each subcommand takes the arguments after its name and returns the exit code.
int runCompare(const Arguments& args);
int runSync(const Arguments& args);
int runMd5(const Arguments& args);
int runDrives(const Arguments& args);
int runFindCopies(const Arguments& args);

// Prints the rows of C_L1, then those of C_L2: arrow TAB word TAB name.
void printOperationLists(const sync::SyncSession& session);

// Names on standard error each directory the last compare could not read
// (what lies inside is left out); returns whether there was any.
bool reportUnreadable(const sync::SyncSession& session);

// Prints the usage line to standard error; returns the usage exit code 2.
int usageError(const char* usage);

} // namespace tessarin::cli
