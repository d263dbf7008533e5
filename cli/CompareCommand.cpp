#include <cstdio>
#include <string>

#include "cli/Commands.h"
#include "cli/Options.h"
#include "cli/Output.h"
#include "cli/TerminalProgress.h"
#include "messages/CompletionText.h"
#include "platform/Path.h"
#include "platform/Services.h"
#include "sync/SyncSession.h"

namespace tessarin::cli {

namespace {
enum { kNoSubfolders = 256 };
}

void printRow(Output& out, const sync::SyncSession& session, sync::SyncSide side, std::size_t index)
{
    const sync::SyncOperation& row = session.list(side)[index];
    std::string head(sync::directionArrow(side));
    head += '\t';
    head += sync::operationWord(row.operation);
    head += '\t';
    out.record(head, row.FileName, {}, true);
}

void printOperationLists(Output& out, const sync::SyncSession& session)
{
    for (const sync::SyncSide side : sync::kBothSides)
        for (std::size_t i = 0; i < session.list(side).size(); ++i)
            printRow(out, session, side, i);
    out.flush();
}

bool reportUnreadable(const sync::SyncSession& session)
{
    bool any = false;
    for (const sync::SyncSide side : sync::kBothSides) {
        for (const platform::RelativePath& directory : session.unreadable(side)) {
            const std::string path = (session.root(side) / directory).asDirectory();
            std::fprintf(stderr, "tessarin-cli: 无法读取“%s”，其中的内容没有比较\n", path.c_str());
            any = true;
        }
        for (const platform::RelativePath& link : session.othersLinks(side)) {
            const std::string path = (session.root(side) / link).bytes();
            std::fprintf(stderr, "tessarin-cli: %s: %s\n", path.c_str(),
                         std::string(messages::kOthersLinkText).c_str());
            any = true;
        }
    }
    return any;
}

int runCompare(const Arguments& args, platform::Services& services)
{
    sync::SyncOptions options;
    bool quiet = false;
    Records records = Records::Lines;
    std::vector<std::string> dirs;
    const int parsed = parseOptions(
        "compare", args,
        {{"no-subfolders", 0, false, kNoSubfolders}, {"null", 'z', false, kNull}, {"quiet", 'q', false, kQuiet}},
        [&](int id, const char*) {
            if (id == kNoSubfolders)
                options.syncSubFolder = false;
            else if (id == kNull)
                records = Records::Nul;
            else
                quiet = true;
            return true;
        },
        dirs);
    if (parsed >= 0)
        return parsed;
    if (dirs.size() != 2)
        return usageError("compare", "需要两个目录");
    auto root1 = platform::rootTextOf(dirs[0]);
    auto root2 = platform::rootTextOf(dirs[1]);
    if (!root1 || !root2)
        return usageError("compare", "目录不能为空");

    sync::SyncSession session(services.fileSystem);
    TerminalProgress progress(quiet);
    session.CompareDirectories(std::move(*root1), std::move(*root2), options, progress);
    progress.clear();
    // Stopped by Ctrl+C: what was seen is partial, and nothing of it is printed.
    if (session.lastCompareStopped())
        return kInterruptedExit;
    Output out(records);
    printOperationLists(out, session);
    return reportUnreadable(session) ? kFailureExit : 0;
}

} // namespace tessarin::cli
