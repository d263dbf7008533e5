#include <cstdio>
#include <string>

#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "cli/Output.h"
#include "platform/Path.h"
#include "platform/PosixFileSystem.h"
#include "sync/CompletionText.h"
#include "sync/SyncSession.h"

namespace tessarin::cli {

namespace {
constexpr const char* kCompareUsage = "usage: tessarin-cli compare DIR1 DIR2 [--no-subfolders]\n";
}

void printOperationLists(const sync::SyncSession& session)
{
    Output out;
    for (int side = 1; side <= 2; ++side) {
        const std::string_view arrow = sync::DirectionArrow(side);
        for (const sync::SyncOperation& row : session.list(side)) {
            out.write(arrow);
            out.write("\t");
            out.write(sync::OperationWord(row.operation));
            out.write("\t");
            out.write(row.FileName);
            out.write("\n");
        }
    }
}

bool reportUnreadable(const sync::SyncSession& session)
{
    bool any = false;
    for (int side = 1; side <= 2; ++side) {
        for (const std::string& directory : session.unreadable(side)) {
            const std::string path = session.rootText(side) + directory + "/";
            std::fprintf(stderr, "tessarin-cli: %s: cannot be read; its contents are left out\n", path.c_str());
            any = true;
        }
        for (const std::string& link : session.othersLinks(side)) {
            const std::string path = session.rootText(side) + link;
            std::fprintf(stderr, "tessarin-cli: %s: %s\n", path.c_str(), std::string(sync::kOthersLinkText).c_str());
            any = true;
        }
    }
    return any;
}

int runCompare(const Arguments& args)
{
    sync::SyncOptions options;
    std::vector<std::string> dirs;
    for (const std::string& arg : args) {
        if (arg == "--no-subfolders")
            options.syncSubFolder = false;
        else if (arg.rfind("--", 0) == 0)
            return usageError(kCompareUsage);
        else
            dirs.push_back(arg);
    }
    if (dirs.size() != 2)
        return usageError(kCompareUsage);
    auto root1 = platform::rootTextOf(dirs[0]);
    auto root2 = platform::rootTextOf(dirs[1]);
    if (!root1 || !root2)
        return usageError(kCompareUsage);

    platform::PosixFileSystem fs;
    sync::SyncSession session(fs);
    InterruptibleProgress progress;
    session.CompareDirectories(std::move(*root1), std::move(*root2), options, progress);
    // Stopped by Ctrl+C: what was seen is partial, and nothing of it is printed.
    if (session.lastCompareStopped())
        return kInterruptedExit;
    printOperationLists(session);
    return reportUnreadable(session) ? 1 : 0;
}

} // namespace tessarin::cli
