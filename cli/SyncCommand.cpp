#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "cli/Commands.h"
#include "cli/Options.h"
#include "cli/Output.h"
#include "cli/TerminalProgress.h"
#include "messages/CompletionText.h"
#include "messages/SyncMessages.h"
#include "platform/Path.h"
#include "platform/Services.h"
#include "sync/Executor.h"
#include "sync/RootCheck.h"
#include "sync/SyncSession.h"

namespace tessarin::cli {

namespace {

enum {
    kDeleteOldFiles = 256,
    kNoAttributes,
    kNoSubfolders,
    kDryRun,
    kMaxDelete,
    kAllowEmptySource,
};

// Message boxes become lines on standard output. Their details are not
// printed: every failure follows as a line of its own.
class PrintingPrompt : public core::Prompt {
public:
    explicit PrintingPrompt(TerminalProgress& progress) : progress_(progress) {}
    using core::Prompt::tell;
    void tell(std::string_view text, std::string_view, core::MessageIcon, std::string_view) override
    {
        progress_.clear();
        writeStandardOutput(std::string(text) + "\n");
    }
    core::Answer ask(std::string_view text, std::string_view caption, core::MessageIcon icon, core::MessageButtons,
                     core::Answer defaultAnswer) override
    {
        tell(text, caption, icon);
        return defaultAnswer;
    }

private:
    TerminalProgress& progress_;
};

void printFailures(Output& out, const std::vector<sync::RowFailure>& failures)
{
    for (const sync::RowFailure& f : failures)
        out.record("失败\t" + std::string(sync::failureWord(f)) + "\t", f.fileName, "\t" + f.reason, true);
    out.flush();
}

// A deletion a script did not mean: why the sync is refused before any
// change, or nothing.
std::optional<std::string> safetyRefusal(const sync::SyncSession& session, const std::vector<sync::PlannedRow>& plan,
                                         std::optional<sync::SyncSide> source, const sync::SyncOptions& options,
                                         long long maxDelete, bool allowEmptySource)
{
    std::size_t deletions = 0;
    for (const sync::PlannedRow& row : plan)
        deletions += session.list(row.side)[row.index].operation == sync::Operation::Delete;
    // An unplugged stick leaves its empty mount point behind: taken as the
    // source, it would empty the target.
    if (source && options.deleteOldFile && !allowEmptySource && session.table(*source).fileCount() == 0 &&
        session.table(sync::otherSide(*source)).fileCount() != 0) {
        const std::string root = session.root(*source).fieldText();
        return "源目录“" + root + "”中没有任何文件，同步将删除目标中的全部" + std::to_string(deletions) +
               "个文件，没有执行。确需如此时请加 --allow-empty-source。";
    }
    if (maxDelete >= 0 && deletions > static_cast<unsigned long long>(maxDelete))
        return "同步将删除" + std::to_string(deletions) + "个文件，多于 --max-delete 允许的" +
               std::to_string(maxDelete) + "个，没有执行。";
    return std::nullopt;
}

} // namespace

int runSync(const Arguments& args, platform::Services& services)
{
    sync::SyncOptions options;
    bool quiet = false, dryRun = false, allowEmptySource = false;
    long long maxDelete = -1;
    Records records = Records::Lines;
    std::vector<std::string> words;
    const int parsed = parseOptions(
        "sync", args,
        {{"delete-old-files", 0, false, kDeleteOldFiles},
         {"no-attributes", 0, false, kNoAttributes},
         {"no-subfolders", 0, false, kNoSubfolders},
         {"dry-run", 'n', false, kDryRun},
         {"max-delete", 0, true, kMaxDelete},
         {"allow-empty-source", 0, false, kAllowEmptySource},
         {"null", 'z', false, kNull},
         {"quiet", 'q', false, kQuiet}},
        [&](int id, const char* value) {
            switch (id) {
            case kDeleteOldFiles:
                options.deleteOldFile = true;
                break;
            case kNoAttributes:
                options.syncAttributes = false;
                break;
            case kNoSubfolders:
                options.syncSubFolder = false;
                break;
            case kDryRun:
                dryRun = true;
                break;
            case kMaxDelete: {
                char* end = nullptr;
                errno = 0;
                maxDelete = std::strtoll(value, &end, 10);
                return *value >= '0' && *value <= '9' && *end == '\0' && errno == 0;
            }
            case kAllowEmptySource:
                allowEmptySource = true;
                break;
            case kNull:
                records = Records::Nul;
                break;
            default:
                quiet = true;
            }
            return true;
        },
        words);
    if (parsed >= 0)
        return parsed;
    if (words.size() != 3)
        return usageError("sync", "需要一个方向和两个目录");
    const std::string& direction = words[0];
    if (direction != "one-to-two" && direction != "two-to-one" && direction != "both")
        return usageError("sync", "无效的方向“" + direction + "”（应为 one-to-two、two-to-one 或 both）");
    auto root1 = platform::rootTextOf(words[1]);
    auto root2 = platform::rootTextOf(words[2]);
    if (!root1 || !root2)
        return usageError("sync", "目录不能为空");

    platform::FileSystem& fs = services.fileSystem;
    sync::SyncSession session(fs);
    TerminalProgress progress(quiet);
    PrintingPrompt prompt(progress);
    session.CompareDirectories(std::move(*root1), std::move(*root2), options, progress);
    progress.clear();
    // Ctrl+C during the compare: nothing was changed yet, and nothing is.
    if (session.lastCompareStopped())
        return kInterruptedExit;
    const bool leftOut = reportUnreadable(session);
    // A one-way sync from a root that is no directory (a file, a mistyped
    // path) is refused with a word, even when it has no row to run.
    const sync::SyncCommand command = direction == "one-to-two"   ? sync::SyncCommand::OneToTwo
                                      : direction == "two-to-one" ? sync::SyncCommand::TwoToOne
                                                                  : sync::SyncCommand::BothWays;
    const std::optional<sync::SyncSide> source = sync::sourceSide(command);
    const bool walkedInto[2] = {session.holdsOtherRoot(sync::SyncSide::One),
                                session.holdsOtherRoot(sync::SyncSide::Two)};
    if (const auto notice = sync::rootsRefusal(fs, session.root(sync::SyncSide::One), session.root(sync::SyncSide::Two),
                                               source, walkedInto)) {
        prompt.tell(*notice, "提示", core::MessageIcon::Warning);
        return kFailureExit;
    }

    sync::SyncExecutor executor(session, progress);
    // Nothing shows the lists afterwards: no second walk of both trees.
    executor.setRefreshAfterCommand(false);
    const std::vector<sync::PlannedRow> plan = executor.planWholeList(command, options);
    if (const auto refusal = safetyRefusal(session, plan, source, options, maxDelete, allowEmptySource)) {
        std::fprintf(stderr, "tessarin-cli: %s\n", refusal->c_str());
        return kRefusedExit;
    }
    Output out(records);
    if (dryRun) {
        for (const sync::PlannedRow& row : plan)
            printRow(out, session, row.side, row.index);
        out.flush();
        return leftOut ? kFailureExit : 0;
    }
    std::vector<std::uint64_t> rowBytes;
    rowBytes.reserve(plan.size());
    for (const sync::PlannedRow& row : plan)
        rowBytes.push_back(sync::copiedBytes(session, row));
    progress.startRows(rowBytes);

    sync::SyncReport report;
    try {
        if (command == sync::SyncCommand::OneToTwo)
            report = executor.SyncOneToTwo(options);
        else if (command == sync::SyncCommand::TwoToOne)
            report = executor.SyncTwoToOne(options);
        else
            report = executor.SyncBothWays(options);
    } catch (const sync::CommandStopped& stopped) {
        // The error that stopped the command, and what had failed before it.
        progress.clear();
        std::fprintf(stderr, "tessarin-cli: %s\ntessarin-cli: %s\n", stopped.what(),
                     messages::notRunText(stopped.notRun()).c_str());
        printFailures(out, stopped.failures());
        return kFailureExit;
    }
    messages::tellSyncReport(report, prompt);
    progress.clear();
    printFailures(out, report.failures);
    // Ctrl+C: the message said how many rows did not run.
    if (report.stopped)
        return kInterruptedExit;
    return report.refused || !report.failures.empty() || leftOut ? kFailureExit : 0;
}

} // namespace tessarin::cli
