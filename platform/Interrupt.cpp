#include "platform/Interrupt.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

#include "platform/Fd.h"

namespace tessarin::platform {

namespace {

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");
// Written by the handler, for a waiting thread to wake on; -1 when none waits.
std::atomic<int> wakeFd{-1};
static_assert(std::atomic<int>::is_always_lock_free, "read from a signal handler");

extern "C" void onInterrupt(int)
{
    const int error = errno;
    interrupted.store(true, std::memory_order_relaxed);
    if (const int fd = wakeFd.load(std::memory_order_relaxed); fd >= 0) {
        const std::uint64_t one = 1;
        if (::write(fd, &one, sizeof one) < 0) {
            // Full: it has woken already.
        }
    }
    errno = error;
}

// Polls fd for input for up to ms (-1: without end), going on after a signal.
bool readable(int fd, int ms)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        int left = -1;
        if (ms >= 0)
            left = static_cast<int>(std::max<long long>(
                0, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count()));
        pollfd p{fd, POLLIN, 0};
        const int n = ::poll(&p, 1, left);
        if (n > 0)
            return true;
        if (n == 0)
            return false;
        if (errno != EINTR)
            return false;
    }
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

bool runWatched(const std::function<void()>& work, std::chrono::milliseconds grace, const std::function<bool()>& wentOn)
{
    Fd done(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    const Fd woken(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!done.valid() || !woken.valid()) {
        work();
        return true;
    }
    wakeFd.store(woken.get(), std::memory_order_relaxed);
    // The thread starts with SIGINT blocked and passes that on to its own threads.
    sigset_t interrupt, before;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    ::pthread_sigmask(SIG_BLOCK, &interrupt, &before);
    std::thread worker([&work, fd = done.get()] {
        work();
        const std::uint64_t one = 1;
        if (::write(fd, &one, sizeof one) < 0) {
            // An eventfd takes one write.
        }
    });
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);

    bool ended = false;
    for (;;) {
        pollfd p[2] = {{done.get(), POLLIN, 0}, {woken.get(), POLLIN, 0}};
        if (::poll(p, 2, -1) < 0 && errno != EINTR)
            break;
        if ((p[0].revents & POLLIN) || interruptCaught())
            break;
    }
    for (;;) {
        if (readable(done.get(), static_cast<int>(grace.count()))) {
            ended = true;
            break;
        }
        if (!wentOn())
            break;
    }
    wakeFd.store(-1, std::memory_order_relaxed);
    if (ended) {
        worker.join();
        return true;
    }
    // The thread still holds work and done: neither ends before the process.
    worker.detach();
    done.release();
    return false;
}

void endProcessNow(int code)
{
    ::_exit(code);
}

} // namespace tessarin::platform
