#include "cli/TerminalProgress.h"

#include <cstdio>

#include "platform/Terminal.h"

namespace tessarin::cli {

namespace {

// A person reads a line redrawn four times a second; faster only flickers.
constexpr std::int64_t kRedrawMs = 250;

std::string bytesText(std::uint64_t bytes)
{
    static const char* const kUnits[] = {"B", "KiB", "MiB", "GiB", "TiB"};
    double value = static_cast<double>(bytes);
    int unit = 0;
    while (value >= 1024 && unit < 4) {
        value /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", value, kUnits[unit]);
    return text;
}

std::string durationText(std::uint64_t seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%llu:%02llu:%02llu", static_cast<unsigned long long>(seconds / 3600),
                  static_cast<unsigned long long>(seconds / 60 % 60), static_cast<unsigned long long>(seconds % 60));
    return text;
}

} // namespace

TerminalProgress::TerminalProgress(bool quiet)
    : enabled_(!quiet && platform::standardErrorIsTerminal()), throttle_(kRedrawMs)
{}

void TerminalProgress::startRows(const std::vector<std::uint64_t>& rowBytes)
{
    rows_ = true;
    bytesBefore_.assign(1, 0);
    for (const std::uint64_t bytes : rowBytes)
        bytesBefore_.push_back(bytesBefore_.back() + bytes);
    rowsStartMs_ = clock_();
    done_ = total_ = 0;
    throttle_ = core::Throttle(kRedrawMs); // the first row is shown at once
}

std::string TerminalProgress::rowsLine() const
{
    // done_ is the row under way: the rows before it are done.
    const std::uint64_t rowsDone = done_ > 0 ? done_ - 1 : 0;
    const std::uint64_t rowCount = bytesBefore_.size() - 1;
    const std::uint64_t bytesDone = bytesBefore_[rowsDone < rowCount ? rowsDone : rowCount];
    const std::uint64_t bytesTotal = bytesBefore_.back();
    const double seconds = static_cast<double>(clock_() - rowsStartMs_) / 1000.0;
    const double rate = seconds > 0 ? static_cast<double>(bytesDone) / seconds : 0;
    std::string text = "已同步" + std::to_string(rowsDone) + "/" + std::to_string(rowCount) + "个文件，" +
                       bytesText(bytesDone) + "/" + bytesText(bytesTotal) + "，" +
                       bytesText(static_cast<std::uint64_t>(rate)) + "/秒，剩余";
    if (bytesDone > 0 && rate > 0)
        text += durationText(static_cast<std::uint64_t>(static_cast<double>(bytesTotal - bytesDone) / rate));
    else
        text += "--:--:--";
    return text;
}

void TerminalProgress::processEvents()
{
    if (!enabled_ || !throttle_.due())
        return;
    const std::string text = line_ ? line_() : rows_ ? rowsLine() : status_;
    if (text.empty())
        return;
    std::fprintf(stderr, "\r\033[K%s", text.c_str());
    std::fflush(stderr);
    drawn_ = true;
}

void TerminalProgress::clear()
{
    if (!drawn_)
        return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    drawn_ = false;
}

} // namespace tessarin::cli
