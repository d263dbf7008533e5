#pragma once
#include <stdexcept>
#include <string>
#include <string_view>

namespace tessarin::cli {

// Standard output could not be written (a full disk, a closed pipe): the
// command ends, and main names the cause.
class OutputError : public std::runtime_error {
public:
    explicit OutputError(int errorNumber);
    int errorNumber() const { return errorNumber_; }

private:
    int errorNumber_;
};

// Writes and flushes text on standard output; throws OutputError when it fails.
void writeStandardOutput(std::string_view text);

// The errno of the first failed write to standard output, flushes at exit
// included (checked last in main); 0 while none failed.
int standardOutputFailure();

// How records end: a newline with escaped names, or NUL with raw names (-z).
enum class Records { Lines, Nul };

// Buffered standard output for large listings.
class Output {
public:
    explicit Output(Records records = Records::Lines) : records_(records) { buffer_.reserve(1 << 16); }
    // What is left is written; a failure is kept for main's last check.
    ~Output();
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    void write(std::string_view text)
    {
        buffer_.append(text);
        if (buffer_.size() >= (1 << 16))
            flush();
    }
    // One record: head, the name, tail and the record's end. An escaped
    // name puts a backslash before the head (escapeTab: tab-separated
    // fields, where a tab in a name is escaped too).
    void record(std::string_view head, std::string_view name, std::string_view tail, bool escapeTab);
    void flush();

private:
    Records records_;
    std::string buffer_;
    std::string escaped_;
};

} // namespace tessarin::cli
