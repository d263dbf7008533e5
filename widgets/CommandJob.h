#pragma once
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>

namespace tessarin::widgets {

// One command of a window run as a job: its work runs on a thread of its
// own while the window's events go on, and run() returns when the work has
// ended. A stop is heard by the work through its progress; should the work
// then show no sign of life for a second (no progress call, no byte read or
// written by the process: a volume that stopped answering holds it inside
// the kernel), the job is let go: run() returns at once, and the thread is
// left to end on its own.
class CommandJob {
public:
    enum class End { Finished, LetGo };

    // activity: a count that moves while the work makes progress.
    explicit CommandJob(std::function<std::uint64_t()> activity);
    ~CommandJob();

    // GUI thread; the work's exception, if any, is error() afterwards.
    End run(std::function<void()> work);
    std::exception_ptr error() const { return error_; }

    // The work was asked to stop: from now on it is watched for signs of life.
    void stopAsked();

    // Jobs let go whose threads have not ended yet: the program ends without
    // waiting for them.
    static int letGoStillRunning();

private:
    struct Shared;
    void watch();

    std::function<std::uint64_t()> activity_;
    std::shared_ptr<Shared> shared_;
    std::exception_ptr error_;
    bool watching_ = false;
    std::uint64_t lastActivity_ = 0;
    std::int64_t quietSinceMs_ = 0;
};

// The command under way in a window: its job, and whether the window closes
// once it ends.
struct RunningCommand {
    explicit RunningCommand(std::function<std::uint64_t()> activity) : job(std::move(activity)) {}
    CommandJob job;
    bool closeAsked = false;
};

} // namespace tessarin::widgets
