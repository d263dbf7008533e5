#pragma once
#include <atomic>
#include <cstdint>

namespace tessarin::app {

class TForm1;
class WindowLists;

// How a command on its job thread reaches the main window: its progress,
// questions and list resets go through here. A job that a volume keeps
// blocked is let go by cutting its link: from then on nothing it does reaches
// the window, which goes on with a fresh link.
struct WindowLink {
    WindowLink(TForm1& window, WindowLists* windowLists) : form(&window), lists(windowLists) {}

    TForm1* form;
    WindowLists* lists; // set before any command runs
    // Set on the GUI thread; read there before each delivery, and on the job
    // thread to skip sending at all.
    std::atomic<bool> cut{false};
    // Counts the job's calls into the progress: it lives while this moves.
    std::atomic<std::uint64_t> activity{0};
    // Questions of the job now open in a box: a job waiting on its user is
    // not stuck.
    std::atomic<int> asking{0};
};

} // namespace tessarin::app
