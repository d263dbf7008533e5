#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <sys/stat.h>

#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "cli/Output.h"
#include "dupfind/SameFileSearch.h"
#include "platform/Path.h"
#include "platform/PathOpen.h"
#include "platform/PosixDrives.h"
#include "platform/PosixFileReader.h"
#include "platform/PosixFileSystem.h"

namespace tessarin::cli {

namespace {

constexpr const char* kFindCopiesUsage = "usage: tessarin-cli find-copies FILE [ROOT] [--same-extension]\n";

// Notices go to standard error; there is nothing to ask.
class ErrorStreamPrompt : public core::Prompt {
public:
    using core::Prompt::tell;
    void tell(std::string_view text, std::string_view, core::MessageIcon, std::string_view) override
    {
        std::fprintf(stderr, "tessarin-cli: %.*s\n", static_cast<int>(text.size()), text.data());
    }
    core::Answer ask(std::string_view, std::string_view, core::MessageIcon, core::MessageButtons,
                     core::Answer defaultAnswer) override
    {
        return defaultAnswer;
    }
};

// Prints each copy's full path as soon as it is found.
class PrintingView : public dupfind::SearchView {
public:
    explicit PrintingView(bool sameExtension) : sameExtension_(sameExtension) {}
    void watch(const dupfind::SameFileSearch& search) { search_ = &search; }
    void showRunning(bool) override {}
    bool sameExtensionOnly() override { return sameExtension_; }
    void resultAdded() override
    {
        out_.write(search_->results().back().path());
        out_.write("\n");
        // Copies are few and a search is long: each is shown at once.
        out_.flush();
    }

private:
    const dupfind::SameFileSearch* search_ = nullptr;
    bool sameExtension_;
    Output out_;
};

// Why a ROOT named on the command line cannot be searched, or nothing when
// it can: a search of nothing would end silently as if no copy existed.
std::optional<std::string> rootProblem(platform::FileSystem& fs, const std::string& root)
{
    struct stat st;
    if (platform::statPath(root, st) != 0)
        return errno == ENOENT ? std::string("no such directory") : std::string(std::strerror(errno));
    if (!S_ISDIR(st.st_mode))
        return std::string("not a directory");
    platform::DirectoryContents contents;
    const std::string directory = platform::Path(root).asDirectory();
    if (!fs.readDirectory(directory, false, "*.*", contents))
        return std::string("cannot be read");
    return std::nullopt;
}

// Ctrl+C ends the search as its stop button does: heard each time the
// search keeps its window alive.
class SearchInterrupt : public InterruptibleProgress {
public:
    void watch(dupfind::SameFileSearch& search) { search_ = &search; }
    void processEvents() override
    {
        if (search_ && stopRequested())
            search_->RequestStop();
    }

private:
    dupfind::SameFileSearch* search_ = nullptr;
};

} // namespace

int runFindCopies(const Arguments& args)
{
    bool sameExtension = false;
    std::vector<std::string> operands;
    for (const std::string& arg : args) {
        if (arg == "--same-extension")
            sameExtension = true;
        else if (arg.rfind("--", 0) == 0)
            return usageError(kFindCopiesUsage);
        else
            operands.push_back(arg);
    }
    if (operands.empty() || operands.size() > 2 || operands[0].empty() || (operands.size() == 2 && operands[1].empty()))
        return usageError(kFindCopiesUsage);

    std::vector<std::string> roots;
    if (operands.size() == 2)
        roots.push_back(operands[1]);
    else
        roots = platform::PosixDrives().fixedDriveRoots();

    platform::PosixFileSystem fs;
    if (operands.size() == 2) {
        if (const auto problem = rootProblem(fs, roots.front())) {
            std::fprintf(stderr, "tessarin-cli: %s: %s\n", roots.front().c_str(), problem->c_str());
            return 2;
        }
    }
    platform::PosixFileReader reader;
    SearchInterrupt progress;
    ErrorStreamPrompt prompt;
    PrintingView view(sameExtension);
    dupfind::SameFileSearch search(fs, reader, progress, prompt, view);
    view.watch(search);
    progress.watch(search);
    const bool searched = search.Search(operands[0], roots);
    // Stopped by Ctrl+C: the copies printed so far are only some of them.
    if (progress.stopRequested())
        return kInterruptedExit;
    return searched ? 0 : 1;
}

int runDrives(const Arguments& args)
{
    if (!args.empty())
        return usageError("usage: tessarin-cli drives\n");
    Output out;
    for (const std::string& root : platform::PosixDrives().fixedDriveRoots()) {
        out.write(root);
        out.write("\n");
    }
    return 0;
}

} // namespace tessarin::cli
