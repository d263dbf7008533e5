#include <cerrno>
#include <cstdio>
#include <optional>
#include <string>
#include <sys/stat.h>

#include "cli/Commands.h"
#include "cli/Options.h"
#include "cli/Output.h"
#include "cli/TerminalProgress.h"
#include "dupfind/SameFileSearch.h"
#include "platform/Path.h"
#include "platform/PathOpen.h"
#include "platform/Services.h"

namespace tessarin::cli {

namespace {

enum { kSameExtension = 256 };

// Notices go to standard error; there is nothing to ask.
class ErrorStreamPrompt : public core::Prompt {
public:
    explicit ErrorStreamPrompt(TerminalProgress& progress) : progress_(progress) {}
    using core::Prompt::tell;
    void tell(std::string_view text, std::string_view, core::MessageIcon, std::string_view) override
    {
        progress_.clear();
        std::fprintf(stderr, "tessarin-cli: %.*s\n", static_cast<int>(text.size()), text.data());
    }
    core::Answer ask(std::string_view, std::string_view, core::MessageIcon, core::MessageButtons,
                     core::Answer defaultAnswer) override
    {
        return defaultAnswer;
    }

private:
    TerminalProgress& progress_;
};

// Prints each copy's full path as soon as it is found.
class PrintingView : public dupfind::SearchView {
public:
    PrintingView(bool sameExtension, Records records, TerminalProgress& progress)
        : sameExtension_(sameExtension), out_(records), progress_(progress)
    {}
    void watch(const dupfind::SameFileSearch& search) { search_ = &search; }
    void showRunning(bool) override {}
    bool sameExtensionOnly() override { return sameExtension_; }
    void resultAdded() override
    {
        progress_.clear();
        out_.record({}, search_->results().back().path(), {}, true);
        // Copies are few and a search is long: each is shown at once.
        out_.flush();
    }

private:
    const dupfind::SameFileSearch* search_ = nullptr;
    bool sameExtension_;
    Output out_;
    TerminalProgress& progress_;
};

// Why a ROOT named on the command line cannot be searched, or nothing when
// it can: a search of nothing would end silently as if no copy existed.
std::optional<std::string> rootProblem(platform::FileSystem& fs, const std::string& root)
{
    struct stat st;
    if (platform::statPath(root, st) != 0)
        return errno == ENOENT ? std::string("没有这个目录") : platform::systemErrorText(errno);
    if (!S_ISDIR(st.st_mode))
        return std::string("不是目录");
    const auto read = fs.readDirectory(platform::Path(root).asDirectory(), false, "*.*");
    if (!read)
        return "无法读取：" + read.failure().error;
    return std::nullopt;
}

// Ctrl+C ends the search as its stop button does: heard each time the
// search keeps its window alive.
class SearchInterrupt : public TerminalProgress {
public:
    using TerminalProgress::TerminalProgress;
    void watch(dupfind::SameFileSearch& search) { search_ = &search; }
    void processEvents() override
    {
        if (search_ && stopRequested())
            search_->requestStop();
        TerminalProgress::processEvents();
    }

private:
    dupfind::SameFileSearch* search_ = nullptr;
};

} // namespace

int runFindCopies(const Arguments& args, platform::Services& services)
{
    bool sameExtension = false, quiet = false;
    Records records = Records::Lines;
    std::vector<std::string> operands;
    const int parsed = parseOptions(
        "find-copies", args,
        {{"same-extension", 0, false, kSameExtension}, {"null", 'z', false, kNull}, {"quiet", 'q', false, kQuiet}},
        [&](int id, const char*) {
            if (id == kSameExtension)
                sameExtension = true;
            else if (id == kNull)
                records = Records::Nul;
            else
                quiet = true;
            return true;
        },
        operands);
    if (parsed >= 0)
        return parsed;
    if (operands.empty() || operands.size() > 2)
        return usageError("find-copies", "需要一个文件和至多一个根目录");
    if (operands[0].empty() || (operands.size() == 2 && operands[1].empty()))
        return usageError("find-copies", "文件和根目录不能为空");

    std::vector<std::string> roots;
    if (operands.size() == 2)
        roots.push_back(operands[1]);
    else
        roots = services.drives.fixedDriveRoots();

    platform::FileSystem& fs = services.fileSystem;
    if (operands.size() == 2) {
        if (const auto problem = rootProblem(fs, roots.front())) {
            std::fprintf(stderr, "tessarin-cli: %s: %s\n", roots.front().c_str(), problem->c_str());
            return kUsageExit;
        }
    }
    platform::FileReader& reader = services.reader;
    SearchInterrupt progress(quiet);
    ErrorStreamPrompt prompt(progress);
    PrintingView view(sameExtension, records, progress);
    dupfind::SameFileSearch search(fs, reader, progress, prompt, view);
    view.watch(search);
    progress.watch(search);
    progress.showLine([&search] {
        return "已搜索" + std::to_string(search.filesSearched()) + "个文件，找到" +
               std::to_string(search.results().size()) + "个副本";
    });
    const bool searched = search.Search(operands[0], roots);
    progress.clear();
    // Stopped by Ctrl+C: the copies printed so far are only some of them.
    if (progress.stopRequested())
        return kInterruptedExit;
    return searched ? 0 : kFailureExit;
}

int runDrives(const Arguments& args, platform::Services& services)
{
    Records records = Records::Lines;
    std::vector<std::string> operands;
    const int parsed = parseOptions(
        "drives", args, {{"null", 'z', false, kNull}},
        [&](int, const char*) {
            records = Records::Nul;
            return true;
        },
        operands);
    if (parsed >= 0)
        return parsed;
    if (!operands.empty())
        return usageError("drives", "多余的参数“" + operands.front() + "”");
    Output out(records);
    for (const std::string& root : services.drives.fixedDriveRoots())
        out.record({}, root, {}, true);
    out.flush();
    return 0;
}

} // namespace tessarin::cli
