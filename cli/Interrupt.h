#pragma once
// Ctrl+C stops a long command: the handler only sets a flag, which the
// command's progress reports as a stop request.
#include "core/Progress.h"

namespace tessarin::cli {

// The exit code of a command stopped by SIGINT, as shells report it.
inline constexpr int kInterruptedExit = 130;

// A silent progress that asks to stop once SIGINT has arrived. Making one
// installs the handler; it stays installed for the life of the process.
class InterruptibleProgress : public core::SilentProgress {
public:
    InterruptibleProgress();
    bool stopRequested() const override;
};

} // namespace tessarin::cli
