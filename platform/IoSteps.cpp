#include "platform/IoSteps.h"

#include <atomic>

namespace tessarin::platform {

namespace {
std::atomic<std::uint64_t> steps{0};
}

std::uint64_t ioSteps()
{
    return steps.load(std::memory_order_relaxed);
}

void countIoStep()
{
    steps.fetch_add(1, std::memory_order_relaxed);
}

} // namespace tessarin::platform
