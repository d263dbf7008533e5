#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Progress.h"
#include "core/Prompt.h"
#include "dupfind/SameFileSearch.h"
#include "platform/FileSystem.h"
#include "platform/PosixFileReader.h"

namespace tessarin::finder {

class TForm5;

// One search of the finder, run on a job thread. It owns its search, and
// reaches the window only by messages: rows found, the status text, the
// start/stop caption, a notice. The window owns the rows it shows, so it
// checks and deletes them while the search goes on. A search let go (its
// volume stopped answering) is cut off: nothing it does reaches the window.
class SearchJob : private dupfind::SearchView, private core::Progress, private core::Prompt {
public:
    SearchJob(TForm5& window, platform::FileSystem& fileSystem, bool sameExtensionOnly);

    // On the job thread: the start click's search.
    void run(const std::string& chosenText, int selected, const std::vector<std::string>& rangeEntries);

    // GUI thread.
    void requestStop();
    void setSameExtensionOnly(bool on) { sameExtension_ = on; }
    void cut() { link_->cut = true; }
    // Moves while the search makes progress.
    std::uint64_t activity() const { return activity_.load(); }

private:
    // SearchView
    void showRunning(bool running) override;
    bool sameExtensionOnly() override { return sameExtension_.load(); }
    void resultsCleared() override;
    void resultAdded() override;
    // Progress
    void setStatus(std::string_view text) override;
    void processEvents() override { ++activity_; }
    // Prompt: the window's boxes, waited for.
    void tell(std::string_view text, std::string_view caption, core::MessageIcon icon,
              std::string_view details) override;
    core::Answer ask(std::string_view text, std::string_view caption, core::MessageIcon icon,
                     core::MessageButtons buttons, core::Answer defaultAnswer) override;

    // How the job reaches its window; shared with the messages under way,
    // which may outlive the job.
    struct Link {
        explicit Link(TForm5& form) : window(&form) {}
        TForm5* window;
        std::atomic<bool> cut{false};
    };
    // Queues work for the window, dropped once the job is cut.
    void toWindow(std::function<void(TForm5&)> work);

    std::shared_ptr<Link> link_;
    platform::PosixFileReader reader_;
    dupfind::SameFileSearch search_;
    std::atomic<bool> sameExtension_;
    // A stop asked for before the search began is asked again once it runs.
    std::atomic<bool> stopAsked_{false};
    std::atomic<std::uint64_t> activity_{0};
};

} // namespace tessarin::finder
