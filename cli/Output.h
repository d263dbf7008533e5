#pragma once
#include <cstdio>
#include <string>
#include <string_view>

namespace tessarin::cli {

// Buffered standard output for large listings; names go out as their bytes.
class Output {
public:
    Output() { buffer_.reserve(1 << 16); }
    ~Output() { flush(); }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    void write(std::string_view text)
    {
        buffer_.append(text);
        if (buffer_.size() >= (1 << 16))
            flush();
    }
    void flush()
    {
        std::fwrite(buffer_.data(), 1, buffer_.size(), stdout);
        std::fflush(stdout);
        buffer_.clear();
    }

private:
    std::string buffer_;
};

} // namespace tessarin::cli
