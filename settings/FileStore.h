#pragma once
#include <string>
#include <string_view>

#include "platform/Fd.h"
#include "platform/TemporaryFile.h"

namespace tessarin::settings {

// Reads and replaces a small text file whole. A replacement never leaves the
// file cut short: the new text goes to a temporary file beside it (a
// platform::TemporaryFile), which is flushed to disk and renamed over the old
// one. Only where the directory takes no new file (but the file itself is
// writable) is the file rewritten in place.
// Each step that can fail is virtual, so that tests can make it fail.
class FileStore {
public:
    // NotAFile: a directory, FIFO or device stands where the file should be.
    enum class ReadStatus { Read, Missing, NotAFile, Failed };

    virtual ~FileStore() = default;

    // The whole file. A missing file reads as Missing with an empty text. Only
    // a regular file is read, and the open never blocks.
    virtual ReadStatus read(const std::string& path, std::string& text);

    // Replaces the file's content with text, creating the file if needed.
    // False when the file could not be written, or something other than a
    // regular file stands in its place, or path is a link that another user
    // owns or that leads to another user's file (platform::followedOwnLink);
    // it is then as it was, except after a failed rewrite in place.
    bool replace(const std::string& path, std::string_view text);

protected:
    // Creates a new, empty file beside target for writing; one that is not
    // created() with errno set on failure.
    virtual platform::TemporaryFile createTemporaryBeside(const std::string& target);
    // Opens an existing file for writing in place; an invalid Fd with errno
    // set on failure.
    virtual platform::Fd openInPlace(const std::string& path);
    // Writes all of text at the descriptor's position; false with errno set.
    virtual bool writeAll(int fd, std::string_view text);

private:
    bool replaceThroughTemporary(const std::string& target, std::string_view text, bool& directoryRefused);
    bool rewriteInPlace(const std::string& target, std::string_view text);
};

} // namespace tessarin::settings
