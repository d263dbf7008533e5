#include "core/Throttle.h"

namespace tessarin::core {

Clock steadyClock()
{
    return [] {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    };
}

Throttle::Throttle(std::int64_t intervalMs, Clock clock) : intervalMs_(intervalMs), clock_(std::move(clock)), last_(0)
{}

bool Throttle::due()
{
    if (intervalMs_ <= 0)
        return true;
    const std::int64_t now = clock_();
    if (first_ || now - last_ >= intervalMs_) {
        first_ = false;
        last_ = now;
        return true;
    }
    return false;
}

} // namespace tessarin::core
