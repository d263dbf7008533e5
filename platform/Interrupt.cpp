#include "platform/Interrupt.h"

#include <atomic>
#include <csignal>

namespace tessarin::platform {

namespace {

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void onInterrupt(int)
{
    interrupted.store(true, std::memory_order_relaxed);
}

} // namespace

void catchInterrupt()
{
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART; // the walk's system calls go on; the flag stops it
    ::sigaction(SIGINT, &action, nullptr);
}

bool interruptCaught()
{
    return interrupted.load(std::memory_order_relaxed);
}

} // namespace tessarin::platform
