#pragma once
// A progress line on standard error, redrawn in place, for a person watching
// a terminal; nothing when standard error is a file or a pipe, or with -q.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cli/Interrupt.h"
#include "core/Throttle.h"

namespace tessarin::cli {

class TerminalProgress : public InterruptibleProgress {
public:
    explicit TerminalProgress(bool quiet);
    ~TerminalProgress() override { clear(); }
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    void setStatus(std::string_view text) override { status_ = text; }
    void setFraction(std::uint64_t done, std::uint64_t total) override
    {
        done_ = done;
        total_ = total;
    }
    void processEvents() override;

    // From now on the line counts the rows of a sync, each copying the given
    // bytes (setFraction's done is the row under way), with rate and time left.
    void startRows(const std::vector<std::uint64_t>& rowBytes);
    // From now on the line is what line() says (find-copies' counts).
    void showLine(std::function<std::string()> line) { line_ = std::move(line); }
    // Removes the line, before other text goes to the terminal.
    void clear();

private:
    std::string rowsLine() const;

    bool enabled_;
    core::Throttle throttle_;
    core::Clock clock_ = core::steadyClock();
    std::string status_;
    std::uint64_t done_ = 0, total_ = 0;
    bool rows_ = false;
    std::vector<std::uint64_t> bytesBefore_; // bytes of the rows before row k
    std::int64_t rowsStartMs_ = 0;
    std::function<std::string()> line_;
    bool drawn_ = false;
};

} // namespace tessarin::cli
