#pragma once
#include <atomic>

#include "core/Progress.h"

namespace tessarin::app {

class TForm1;

// The core's progress shown in the main window: the status bar's text and
// progress bar, and the window kept alive by processing pending events.
class QtProgress : public core::Progress {
public:
    explicit QtProgress(TForm1& form) : form_(form) {}
    void setStatus(std::string_view text) override;
    void processEvents() override;
    void setFraction(std::uint64_t done, std::uint64_t total) override;

    // A stop asked by the window for the compare or synchronisation under
    // way; both listing threads read it, hence atomic. Esc stops the rows of
    // a synchronisation and lets its refresh run; closing the window
    // (lasting) stops the refresh too.
    bool stopRequested() const override { return stop_.load(std::memory_order_relaxed); }
    void stopHeeded() override
    {
        if (!lasting_)
            clearStop();
    }
    void requestStop(bool lasting = false)
    {
        lasting_ = lasting_ || lasting;
        stop_.store(true, std::memory_order_relaxed);
    }
    void clearStop()
    {
        lasting_ = false;
        stop_.store(false, std::memory_order_relaxed);
    }

private:
    TForm1& form_;
    std::atomic<bool> stop_{false};
    bool lasting_ = false; // GUI thread only
};

} // namespace tessarin::app
