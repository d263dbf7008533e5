#include "sync/CopyPipeline.h"

#include <exception>
#include <system_error>
#include <utility>

namespace tessarin::sync {

namespace {
// Enough to keep every thread busy without holding many paths in memory.
constexpr std::size_t kMaxWaiting = 64;
} // namespace

CopyPipeline::CopyPipeline(platform::FileSystem& fs, unsigned threads) : fs_(fs)
{
    // A thread the system refuses leaves fewer copiers (none: copies run in
    // submit), never a half-built pipeline whose threads nobody joins.
    try {
        for (unsigned i = 0; i < threads; ++i)
            threads_.emplace_back([this] { work(); });
    } catch (const std::system_error&) {}
}

CopyPipeline::~CopyPipeline()
{
    drain();
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& t : threads_)
        t.join();
}

void CopyPipeline::submit(std::size_t row, platform::TreePath source, platform::TreePath target,
                          platform::TargetExpectation expected)
{
    Job job{row, std::move(source), std::move(target), expected};
    if (threads_.empty()) {
        noteResult(row, copyReportingErrors(job));
        return;
    }
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return queue_.size() < kMaxWaiting; });
    queue_.push_back(std::move(job));
    changed_.notify_all();
}

void CopyPipeline::noteResult(std::size_t row, platform::FsResult&& result)
{
    if (!result.ok())
        failures_.push_back({row, std::move(result)});
    else
        written_.push_back({row, result.written});
}

void CopyPipeline::drain()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return queue_.empty() && running_ == 0; });
}

std::vector<CopyPipeline::Failure> CopyPipeline::takeFailures()
{
    std::lock_guard lock(mutex_);
    return std::exchange(failures_, {});
}

std::vector<CopyPipeline::Written> CopyPipeline::takeWritten()
{
    std::lock_guard lock(mutex_);
    return std::exchange(written_, {});
}

platform::FsResult CopyPipeline::copyReportingErrors(const Job& job)
{
    // An exception must not leave a copy thread (that would end the program):
    // it becomes this row's failure.
    try {
        return fs_.copyFile(job.source, job.target, job.expected);
    } catch (const std::exception& e) {
        const std::string reason = e.what();
        return {reason.empty() ? std::string("复制时发生未知错误") : reason};
    } catch (...) {
        return {"复制时发生未知错误"};
    }
}

void CopyPipeline::work()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty())
            return; // stopping, nothing left
        Job job = std::move(queue_.front());
        queue_.pop_front();
        ++running_;
        changed_.notify_all(); // room in the queue
        lock.unlock();
        platform::FsResult result = copyReportingErrors(job);
        lock.lock();
        --running_;
        noteResult(job.row, std::move(result));
        changed_.notify_all();
    }
}

} // namespace tessarin::sync
