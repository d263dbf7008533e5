#pragma once
// Copies that replace files, run on a few threads while the executor goes on with
// the next rows. A copy's time is mostly waiting for the disk (the rename of a
// replaced file makes the file system write the new data out), and those waits
// overlap well.
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/FileSystem.h"

namespace tessarin::sync {

class CopyPipeline {
public:
    struct Failure {
        std::size_t row; // the caller's number of the row
        platform::FsResult result;
    };
    struct Written {
        std::size_t row;
        platform::FileId file;
    };

    CopyPipeline(platform::FileSystem& fs, unsigned threads);
    // Waits for every copy handed in, also when an error leaves the command.
    ~CopyPipeline();
    CopyPipeline(const CopyPipeline&) = delete;
    CopyPipeline& operator=(const CopyPipeline&) = delete;

    // Hands in one copy; blocks while many are waiting already.
    void submit(std::size_t row, platform::TreePath source, platform::TreePath target,
                platform::TargetExpectation expected);
    // Returns once every copy handed in so far has finished.
    void drain();
    // The failed copies so far, in the order they finished.
    std::vector<Failure> takeFailures();
    // The files written by the copies finished so far, since the last call.
    std::vector<Written> takeWritten();

private:
    struct Job {
        std::size_t row;
        platform::TreePath source;
        platform::TreePath target;
        platform::TargetExpectation expected;
    };
    void work();
    platform::FsResult copyReportingErrors(const Job& job);
    void noteResult(std::size_t row, platform::FsResult&& result);

    platform::FileSystem& fs_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> queue_;
    std::size_t running_ = 0;
    bool stopping_ = false;
    std::vector<Failure> failures_;
    std::vector<Written> written_;
    std::vector<std::thread> threads_;
};

} // namespace tessarin::sync
