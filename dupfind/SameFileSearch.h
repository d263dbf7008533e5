#pragma once
#include <atomic>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/Progress.h"
#include "core/Prompt.h"
#include "core/Throttle.h"
#include "dupfind/FoundFiles.h"
#include "md5/Md5.h"
#include "platform/FileReader.h"
#include "platform/FileSystem.h"

namespace tessarin::dupfind {

// What the search needs of its window besides the status text and events.
class SearchView {
public:
    virtual ~SearchView() = default;
    // The start/stop button: "停止搜索" while a search runs, "开始搜索" otherwise.
    virtual void showRunning(bool running) = 0;
    // The same-extension option, read anew for every directory searched.
    virtual bool sameExtensionOnly() = 0;
    // The result rows were emptied / one row was appended at the end.
    virtual void resultsCleared() {}
    virtual void resultAdded() {}
};

// "*" and the text from the last full stop of the whole chosen path to its
// end, or "*.*" when the path holds no full stop.
std::string extensionMaskFor(std::string_view chosenFile);

// The search for copies of one file over one fixed drive, every drive, or
// any directory. A copy has the chosen file's size, its digest, and then
// the same bytes; it is never the chosen file itself under another name.
class SameFileSearch {
public:
    SameFileSearch(platform::FileSystem& fileSystem, platform::FileReader& reader, core::Progress& progress,
                   core::Prompt& prompt, SearchView& view);

    // The digest text of the chosen file, fixed when a search starts.
    std::string ChosenDigest;
    // The file mask of the same-extension option, built when a search starts.
    std::string ExtensionMask;
    // The path of the file searched for, as typed.
    std::string ChosenFile;

    // The start/stop button. Running: requests the stop. A click while a
    // stopped search still unwinds is ignored. Otherwise starts a search of
    // rangeEntries[selected], or of every entry from 1 on when selected is 0
    // (entry 0 being "全部磁盘驱动器"), and returns when it has ended.
    void Button2Click(const std::string& chosenText, int selected, const std::vector<std::string>& rangeEntries);

    // Starts a search of the given roots (each a directory ending in "/").
    // Returns false, with nothing searched, when a search runs, the text is
    // empty, or the chosen file cannot be read (a notice says so).
    bool Search(const std::string& chosenText, const std::vector<std::string>& roots);

    // Ends a running search at its next test; the rows found so far stay.
    // Safe from another thread than the search's.
    void requestStop();
    // Set by requestStop; tested at the head of each pass's loop.
    bool stopRequested() const { return stopRequested_; }

    bool running() const { return running_; }
    void setPrompt(core::Prompt& prompt) { prompt_ = &prompt; }
    FoundFiles& results() { return results_; }
    const FoundFiles& results() const { return results_; }
    // Files looked at by the search under way or the last one (a count for
    // a progress line).
    std::uint64_t filesSearched() const { return filesSearched_; }

    // Searches the tree of one directory (ending in "/") for copies of the
    // chosen file opened by Search: in each directory the subdirectories'
    // trees first, then its own files.
    void SearchDirectory(const std::string& directory);

    // Interval of the status and event throttle, in milliseconds (0: every entry).
    void setProgressInterval(std::int64_t ms) { progressIntervalMs_ = ms; }

private:
    bool openChosenFile();
    void searchRoot(std::string root);
    void searchTree(const std::string& directory);
    bool mayEnter(const platform::DirEntry& sub);
    bool isCopy(const std::string& directory, const platform::DirEntry& file);
    bool sameBytesAsChosen(const std::string& path);
    bool entryDue();

    platform::FileSystem& fs_;
    platform::FileReader& reader_;
    core::Progress& progress_;
    core::Prompt* prompt_;
    SearchView& view_;
    FoundFiles results_;
    // Read by a stop request from another thread.
    std::atomic<bool> running_{false};
    std::atomic<bool> stopRequested_{false};
    std::int64_t progressIntervalMs_ = 50;

    // State of one search.
    md5::DigestBytes chosenDigest_{};
    platform::FileId chosenId_;
    std::uint64_t chosenSize_ = 0;
    std::uint64_t filesSearched_ = 0;
    std::uint64_t rootDevice_ = 0;
    // Directories entered and files listed in this search, by (device, inode):
    // a tree reached by a second path (/lib and /usr/lib) is searched once,
    // and no file is offered twice for deletion.
    std::set<std::pair<std::uint64_t, std::uint64_t>> entered_;
    std::set<std::pair<std::uint64_t, std::uint64_t>> listed_;
    std::optional<core::Throttle> throttle_;
};

} // namespace tessarin::dupfind
