#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <gtest/gtest.h>
#include <mutex>
#include <stdexcept>
#include <string>

#include "platform/PosixFileSystem.h"
#include "sync/CopyPipeline.h"

using tessarin::platform::FsResult;
using tessarin::platform::TreePath;
using tessarin::sync::CopyPipeline;

namespace {

// Copies that wait at a gate until it opens, fail where the source says
// "fail", throw where it says "throw", and count what ran.
class GatedFileSystem : public tessarin::platform::PosixFileSystem {
public:
    FsResult copyFile(const TreePath& source, const TreePath&, const tessarin::platform::TargetExpectation&) override
    {
        {
            std::unique_lock lock(mutex_);
            opened_.wait(lock, [this] { return open_; });
        }
        ++copied;
        if (source.relative.text().rfind("fail", 0) == 0)
            return {"refused " + source.relative.text()};
        if (source.relative.text().rfind("throw", 0) == 0)
            throw std::runtime_error("thrown by " + source.relative.text());
        return {};
    }
    void open()
    {
        std::lock_guard lock(mutex_);
        open_ = true;
        opened_.notify_all();
    }
    std::atomic<int> copied{0};

private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = false;
};

TreePath place(std::size_t row)
{
    return TreePath{"/nowhere", "f" + std::to_string(row)};
}

} // namespace

TEST(CopyPipeline, HoldsBackSubmitsWhileManyWaitAndDrainsEveryCopy)
{
    GatedFileSystem fs;
    CopyPipeline copies(fs, 2);
    // Two copies at the gate and a full queue behind them: the next hand-in waits.
    for (std::size_t row = 0; row < 66; ++row)
        copies.submit(row, {"", "ok"}, place(row), {});
    auto blocked = std::async(std::launch::async, [&] { copies.submit(66, {"", "ok"}, place(66), {}); });
    EXPECT_EQ(blocked.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);
    fs.open();
    blocked.get();
    copies.drain();
    EXPECT_EQ(fs.copied.load(), 67);
    EXPECT_TRUE(copies.takeFailures().empty());
}

TEST(CopyPipeline, ReportsEveryFailedAndThrowingCopyAsItsRowsFailure)
{
    GatedFileSystem fs;
    fs.open();
    CopyPipeline copies(fs, 3);
    for (std::size_t row = 0; row < 40; ++row)
        copies.submit(row, {"", row % 7 == 3 ? "fail" : row % 11 == 5 ? "throw" : "ok"}, place(row), {});
    copies.drain();
    auto failures = copies.takeFailures();
    std::sort(failures.begin(), failures.end(), [](const auto& a, const auto& b) { return a.row < b.row; });
    std::vector<std::size_t> rows;
    for (const auto& f : failures) {
        rows.push_back(f.row);
        EXPECT_EQ(f.result.error, (f.row % 7 == 3 ? "refused fail" : "thrown by throw")) << f.row;
    }
    EXPECT_EQ(rows, (std::vector<std::size_t>{3, 5, 10, 16, 17, 24, 27, 31, 38}));
    EXPECT_EQ(fs.copied.load(), 40);
}

TEST(CopyPipeline, LeftWithCopiesQueuedItStillRunsThemAll)
{
    // As when an error ends the command while copies wait: the pipeline
    // goes out of scope and every copy handed in is finished, none dropped.
    GatedFileSystem fs;
    {
        CopyPipeline copies(fs, 2);
        for (std::size_t row = 0; row < 20; ++row)
            copies.submit(row, {"", "ok"}, place(row), {});
        fs.open();
    }
    EXPECT_EQ(fs.copied.load(), 20);
}

TEST(CopyPipeline, WithoutThreadsCopiesAtOnceAndCatchesTheSameWay)
{
    GatedFileSystem fs;
    fs.open();
    CopyPipeline copies(fs, 0);
    copies.submit(0, {"", "throw"}, place(0), {});
    copies.submit(1, {"", "ok"}, place(1), {});
    EXPECT_EQ(fs.copied.load(), 2);
    const auto failures = copies.takeFailures();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].result.error, "thrown by throw");
}
