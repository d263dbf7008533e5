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

    // A stop asked by the window (Esc, closing it) for the compare under
    // way; both listing threads read it, hence atomic.
    bool stopRequested() const override { return stop_.load(std::memory_order_relaxed); }
    void requestStop() { stop_.store(true, std::memory_order_relaxed); }
    void clearStop() { stop_.store(false, std::memory_order_relaxed); }

private:
    TForm1& form_;
    std::atomic<bool> stop_{false};
};

} // namespace tessarin::app
