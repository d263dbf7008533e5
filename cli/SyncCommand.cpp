#include <cstdio>
#include <string>

#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "cli/Output.h"
#include "platform/Path.h"
#include "platform/PosixFileSystem.h"
#include "sync/CompletionText.h"
#include "sync/Executor.h"
#include "sync/RootCheck.h"
#include "sync/SyncSession.h"

namespace tessarin::cli {

namespace {

constexpr const char* kSyncUsage =
    "usage: tessarin-cli sync one-to-two|two-to-one|both DIR1 DIR2 [--delete-old-files] [--no-attributes] "
    "[--no-subfolders]\n";

// Message boxes become lines on standard output. Their details are not
// printed: every failure follows as a line of its own.
class PrintingPrompt : public core::Prompt {
public:
    using core::Prompt::tell;
    void tell(std::string_view text, std::string_view, core::MessageIcon, std::string_view) override
    {
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fputc('\n', stdout);
    }
    core::Answer ask(std::string_view text, std::string_view caption, core::MessageIcon icon, core::MessageButtons,
                     core::Answer defaultAnswer) override
    {
        tell(text, caption, icon);
        return defaultAnswer;
    }
};

void printFailures(const std::vector<sync::RowFailure>& failures)
{
    Output out;
    for (const sync::RowFailure& f : failures) {
        out.write("失败\t");
        out.write(sync::FailureWord(f));
        out.write("\t");
        out.write(f.fileName);
        out.write("\t");
        out.write(f.reason);
        out.write("\n");
    }
}

} // namespace

int runSync(const Arguments& args)
{
    sync::SyncOptions options;
    std::vector<std::string> words;
    for (const std::string& arg : args) {
        if (arg == "--delete-old-files")
            options.deleteOldFile = true;
        else if (arg == "--no-attributes")
            options.syncAttributes = false;
        else if (arg == "--no-subfolders")
            options.syncSubFolder = false;
        else if (arg.rfind("--", 0) == 0)
            return usageError(kSyncUsage);
        else
            words.push_back(arg);
    }
    if (words.size() != 3)
        return usageError(kSyncUsage);
    auto root1 = platform::rootTextOf(words[1]);
    auto root2 = platform::rootTextOf(words[2]);
    if (!root1 || !root2)
        return usageError(kSyncUsage);
    const std::string& direction = words[0];
    if (direction != "one-to-two" && direction != "two-to-one" && direction != "both")
        return usageError(kSyncUsage);

    platform::PosixFileSystem fs;
    sync::SyncSession session(fs);
    InterruptibleProgress progress;
    PrintingPrompt prompt;
    session.CompareDirectories(std::move(*root1), std::move(*root2), options, progress);
    // Ctrl+C during the compare: nothing was changed yet, and nothing is.
    if (session.lastCompareStopped())
        return kInterruptedExit;
    const bool leftOut = reportUnreadable(session);
    // A one-way sync from a root that is no directory (a file, a mistyped
    // path) is refused with a word, even when it has no row to run.
    const sync::SyncSide source = direction == "one-to-two" ? 1 : direction == "two-to-one" ? 2 : 0;
    const bool walkedInto[2] = {session.holdsOtherRoot(1), session.holdsOtherRoot(2)};
    if (const auto notice = sync::RootsRefusal(fs, session.rootText(1), session.rootText(2), source, walkedInto)) {
        prompt.tell(*notice, "提示", core::MessageIcon::Warning);
        return 1;
    }

    sync::SyncExecutor executor(session, progress, prompt);
    // Nothing shows the lists afterwards: no second walk of both trees.
    executor.setRefreshAfterCommand(false);
    sync::SyncReport report;
    try {
        if (direction == "one-to-two")
            report = executor.SyncOneToTwo(options);
        else if (direction == "two-to-one")
            report = executor.SyncTwoToOne(options);
        else
            report = executor.SyncBothWays(options);
    } catch (const sync::CommandStopped& stopped) {
        // The error that stopped the command, and what had failed before it.
        std::fflush(stdout);
        std::fprintf(stderr, "tessarin-cli: %s\ntessarin-cli: %s\n", stopped.what(),
                     sync::NotRunText(stopped.notRun()).c_str());
        printFailures(stopped.failures());
        return 1;
    }
    std::fflush(stdout);
    printFailures(report.failures);
    // Ctrl+C: the message said how many rows did not run.
    if (report.stopped)
        return kInterruptedExit;
    return report.refused || !report.failures.empty() || leftOut ? 1 : 0;
}

} // namespace tessarin::cli
