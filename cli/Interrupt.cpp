#include "cli/Interrupt.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <exception>
#include <functional>

#include "platform/Interrupt.h"

namespace tessarin::cli {

namespace {

// How often the command asked whether to stop since SIGINT: while this grows,
// the command is on its way to a stop point.
std::atomic<unsigned> checksSinceInterrupt{0};

constexpr auto kGrace = std::chrono::milliseconds(1000);

const char* heldText(std::string_view name)
{
    if (name == "compare")
        return "比较已停止。有一个卷没有响应，没有等到它返回。";
    if (name == "sync")
        return "同步已停止。有一个卷没有响应，没有等到它返回；正在写入的文件只留下临时文件，下次同步时删除。";
    if (name == "find-copies")
        return "搜索已停止。有一个卷没有响应，没有等到它返回。";
    return nullptr;
}

} // namespace

InterruptibleProgress::InterruptibleProgress()
{
    platform::catchInterrupt();
}

bool InterruptibleProgress::stopRequested() const
{
    if (!platform::interruptCaught())
        return false;
    checksSinceInterrupt.fetch_add(1, std::memory_order_relaxed);
    return true;
}

int runStoppable(std::string_view name, const std::function<int()>& run)
{
    const char* held = heldText(name);
    if (!held)
        return run();
    // Caught from the start: the command may be held before it makes its progress.
    platform::catchInterrupt();
    int code = 0;
    std::exception_ptr thrown;
    unsigned seen = 0;
    // A local, not a temporary: a thread held past the grace still runs it
    // while the process ends below, so it must not be destroyed before.
    const std::function<void()> work = [&] {
        try {
            code = run();
        } catch (...) {
            thrown = std::current_exception();
        }
    };
    const bool ended = platform::runWatched(work, kGrace, [&] {
        const unsigned now = checksSinceInterrupt.load(std::memory_order_relaxed);
        const bool wentOn = now != seen;
        seen = now;
        return wentOn;
    });
    if (!ended) {
        std::fprintf(stderr, "tessarin-cli: %s\n", held);
        platform::endProcessNow(kInterruptedExit);
    }
    if (thrown)
        std::rethrow_exception(thrown);
    return code;
}

} // namespace tessarin::cli
