#pragma once
#include <chrono>
#include <cstdint>
#include <functional>

namespace tessarin::core {

// Milliseconds from an arbitrary start; tests replace it with a fake clock.
using Clock = std::function<std::int64_t()>;
Clock steadyClock();

// Decides when a long loop may touch the screen: at most once per interval,
// so the cost of a large run is the file system's, not the status bar's.
// An interval of 0 lets every update through.
class Throttle {
public:
    explicit Throttle(std::int64_t intervalMs = 50, Clock clock = steadyClock());
    // True when an update is due now; marks it as made.
    bool due();

private:
    std::int64_t intervalMs_;
    Clock clock_;
    std::int64_t last_;
    bool first_ = true;
};

} // namespace tessarin::core
