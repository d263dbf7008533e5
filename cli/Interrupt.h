#pragma once
// Ctrl+C stops a long command: the handler only sets a flag, which the
// command's progress reports as a stop request.
#include <functional>
#include <string_view>

#include "cli/Commands.h"
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

// Runs the subcommand. compare, sync and find-copies run on a thread of their
// own, so that Ctrl+C ends them even while a volume that no longer answers
// holds them in the kernel: after the signal the command has a second to reach
// its next stop point and end as usual, for as long as it goes on asking
// whether to stop; one that is held ends the process with 130, saying so.
int runStoppable(std::string_view name, const std::function<int()>& run);

} // namespace tessarin::cli
