#pragma once
#include <atomic>
#include <memory>

#include "app/WindowLink.h"
#include "core/Progress.h"

namespace tessarin::app {

// The core's progress shown in the main window: the status bar's text and
// progress bar. Called from a command's job thread, it hands the newest text
// and fraction to the GUI thread, coalesced, so a fast loop never floods the
// event queue; called on the GUI thread it shows them at once.
class QtProgress : public core::Progress {
public:
    explicit QtProgress(std::shared_ptr<WindowLink> link);
    void setStatus(std::string_view text) override;
    // The window's events run on its own thread: nothing to do on a job's.
    void processEvents() override;
    void setFraction(std::uint64_t done, std::uint64_t total) override;

    // A stop asked by the window for the command under way; every thread of
    // the job reads it. Esc stops the rows of a synchronisation and lets its
    // refresh run; closing the window (lasting) stops the refresh too.
    bool stopRequested() const override;
    void stopHeeded() override
    {
        if (!lasting_.load())
            clearStop();
    }
    void requestStop(bool lasting = false)
    {
        if (lasting)
            lasting_.store(true);
        stop_.store(true);
    }
    void clearStop()
    {
        lasting_.store(false);
        stop_.store(false);
    }

private:
    struct Pending;
    void deliverSoon();

    std::shared_ptr<WindowLink> link_;
    std::shared_ptr<Pending> pending_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> lasting_{false};
};

} // namespace tessarin::app
