#pragma once
// Ctrl+C for a program without a window: it asks the work to stop.
#include <chrono>
#include <functional>

namespace tessarin::platform {

// Catches SIGINT from now on instead of ending the process. The system calls
// under way go on; interruptCaught() turns true, for the work to stop itself.
void catchInterrupt();

// Whether SIGINT came since catchInterrupt; safe from any thread.
bool interruptCaught();

// Runs work on a thread of its own and waits for its end. SIGINT is held back
// from that thread and every thread it starts, so it wakes this one even while
// the work waits in the kernel on a volume that no longer answers (a FUSE
// wait ends only by the death of the process). Once SIGINT has been caught,
// wentOn() is asked after each grace without an end: while it says the work
// went on, the wait goes on. Returns whether the work ended; when it did not,
// its thread is left behind, and the caller should end the process.
bool runWatched(const std::function<void()>& work, std::chrono::milliseconds grace,
                const std::function<bool()>& wentOn);

// Ends the process at once with the code, without waiting for any thread or
// running any clean-up: a thread blocked in the kernel dies with it.
[[noreturn]] void endProcessNow(int code);

} // namespace tessarin::platform
