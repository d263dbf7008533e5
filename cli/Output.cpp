#include "cli/Output.h"

#include <cerrno>
#include <cstdio>

#include "cli/Escape.h"

namespace tessarin::cli {

namespace {
int firstFailure = 0;
}

OutputError::OutputError(int errorNumber) : std::runtime_error("standard output"), errorNumber_(errorNumber)
{}

void writeStandardOutput(std::string_view text)
{
    // Once a write failed, nothing more is tried: the stream's state is lost.
    if (firstFailure != 0)
        throw OutputError(firstFailure);
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
        firstFailure = errno != 0 ? errno : EIO;
        throw OutputError(firstFailure);
    }
}

int standardOutputFailure()
{
    if (firstFailure == 0) {
        errno = 0;
        if (std::fflush(stdout) != 0 || std::ferror(stdout))
            firstFailure = errno != 0 ? errno : EIO;
    }
    return firstFailure;
}

Output::~Output()
{
    try {
        flush();
    } catch (const OutputError&) {
        // Kept in firstFailure; main reports it.
    }
}

void Output::record(std::string_view head, std::string_view name, std::string_view tail, bool escapeTab)
{
    if (records_ == Records::Nul) {
        write(head);
        write(name);
        write(tail);
        write(std::string_view("\0", 1));
        return;
    }
    escaped_.clear();
    if (appendEscapedName(name, escapeTab, escaped_))
        write("\\");
    write(head);
    write(escaped_);
    write(tail);
    write("\n");
}

void Output::flush()
{
    if (buffer_.empty())
        return;
    std::string pending;
    pending.swap(buffer_);
    writeStandardOutput(pending);
}

} // namespace tessarin::cli
