#pragma once
#include <string>

namespace tessarin::platform {

// Removes files at once and for good (there is no recycle bin).
class FileRemover {
public:
    virtual ~FileRemover() = default;
    // Removes one file; a link is removed itself, never what it points to.
    // Returns the system's reason when it cannot, empty on success.
    virtual std::string removeFile(const std::string& path) = 0;
};

// The remover on a POSIX system: unlink(2).
class PosixFileRemover : public FileRemover {
public:
    std::string removeFile(const std::string& path) override;
};

} // namespace tessarin::platform
