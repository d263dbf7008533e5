#include "widgets/CommandJob.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <mutex>
#include <thread>

#include "widgets/GuiThread.h"

namespace tessarin::widgets {

namespace {

// How long a job asked to stop may show no sign of life before it is let go.
constexpr std::int64_t kQuietLimitMs = 1000;
constexpr int kWatchIntervalMs = 100;

std::mutex letGoMutex;
int letGoRunning = 0; // under letGoMutex

} // namespace

struct CommandJob::Shared {
    std::exception_ptr error; // written by the thread before it reports its end
    bool threadEnded = false; // under letGoMutex
    bool letGo = false;       // under letGoMutex
    // GUI thread only:
    QEventLoop* loop = nullptr;
    bool ended = false;
    QElapsedTimer clock;
};

CommandJob::CommandJob(std::function<std::uint64_t()> activity) : activity_(std::move(activity))
{}

CommandJob::~CommandJob() = default;

CommandJob::End CommandJob::run(std::function<void()> work)
{
    auto shared = std::make_shared<Shared>();
    shared_ = shared;
    shared->clock.start();
    QEventLoop loop;
    shared->loop = &loop;

    std::thread([shared, work = std::move(work)]() mutable {
        try {
            work();
        } catch (...) {
            shared->error = std::current_exception();
        }
        work = nullptr; // what it held goes now, on this thread
        {
            std::lock_guard lock(letGoMutex);
            shared->threadEnded = true;
            if (shared->letGo)
                --letGoRunning;
            else
                // Reported only while the window waits: a job let go reaches it no more.
                postToGuiThread([shared] {
                    shared->ended = true;
                    if (shared->loop)
                        shared->loop->quit();
                });
        }
    }).detach();

    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, &loop, [this] { watch(); });
    watcher.start(kWatchIntervalMs);
    loop.exec();
    shared->loop = nullptr;
    if (shared->ended) {
        error_ = shared->error;
        return End::Finished;
    }
    return End::LetGo;
}

void CommandJob::stopAsked()
{
    if (watching_ || !shared_)
        return;
    watching_ = true;
    lastActivity_ = activity_();
    quietSinceMs_ = shared_->clock.elapsed();
}

void CommandJob::watch()
{
    if (!watching_ || shared_->ended)
        return;
    const std::uint64_t now = activity_();
    if (now != lastActivity_) {
        lastActivity_ = now;
        quietSinceMs_ = shared_->clock.elapsed();
        return;
    }
    if (shared_->clock.elapsed() - quietSinceMs_ < kQuietLimitMs)
        return;
    {
        std::lock_guard lock(letGoMutex);
        if (shared_->threadEnded)
            return; // its end is on the way
        shared_->letGo = true;
        ++letGoRunning;
    }
    shared_->loop->quit();
}

int CommandJob::letGoStillRunning()
{
    std::lock_guard lock(letGoMutex);
    return letGoRunning;
}

} // namespace tessarin::widgets
