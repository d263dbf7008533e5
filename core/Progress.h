#pragma once
#include <cstdint>
#include <string_view>

namespace tessarin::core {

// How a long loop of the core talks to whoever runs it: the window (status
// bar, event processing) or a test that records what it saw.
class Progress {
public:
    virtual ~Progress() = default;
    // Text of the status bar's panel.
    virtual void setStatus(std::string_view text) = 0;
    // Called at the points where a loop may let others in: the window's
    // progress counts them as signs of life of a job (its events run on their
    // own thread); a loop on the GUI thread processes pending events here.
    virtual void processEvents() = 0;
    // How far a long run has come; total 0 hides the indicator.
    virtual void setFraction(std::uint64_t /*done*/, std::uint64_t /*total*/) {}
    // The user asked the running compare or synchronisation to stop (Esc,
    // closing the window, an interrupt). Asked from the listing threads too,
    // so it must be cheap and safe to call from any thread.
    virtual bool stopRequested() const { return false; }
    // The stop request has been heeded (a synchronisation's rows stopped): a
    // request meant only for that is cleared, so that the compare refreshing
    // the lists runs; one that stops everything (closing the window) stays.
    virtual void stopHeeded() {}
};

// A Progress that shows nothing: for callers with no window.
class SilentProgress : public Progress {
public:
    void setStatus(std::string_view) override {}
    void processEvents() override {}
};

} // namespace tessarin::core
