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
        std::string reason;
    };

    CopyPipeline(platform::FileSystem& fs, unsigned threads);
    // Waits for every copy handed in, also when an error leaves the command.
    ~CopyPipeline();
    CopyPipeline(const CopyPipeline&) = delete;
    CopyPipeline& operator=(const CopyPipeline&) = delete;

    // Hands in one copy; blocks while many are waiting already.
    void submit(std::size_t row, std::string source, platform::TreePath target);
    // Returns once every copy handed in so far has finished.
    void drain();
    // The failed copies so far, in the order they finished.
    std::vector<Failure> takeFailures();
    // The files written by the copies finished so far, since the last call.
    std::vector<platform::FileId> takeWritten();

private:
    struct Job {
        std::size_t row;
        std::string source;
        platform::TreePath target;
    };
    void work();
    platform::FsResult copyReportingErrors(const std::string& source, const platform::TreePath& target);

    platform::FileSystem& fs_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> queue_;
    std::size_t running_ = 0;
    bool stopping_ = false;
    std::vector<Failure> failures_;
    std::vector<platform::FileId> written_;
    std::vector<std::thread> threads_;
};

} // namespace tessarin::sync
