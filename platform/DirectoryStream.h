#pragma once
// One directory read entry by entry, for the POSIX services that list.
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "platform/PathOpen.h"

namespace tessarin::platform {

class DirectoryStream {
public:
    explicit DirectoryStream(const std::string& path)
        // Any length: a path past the system's limit is opened piece by piece.
        : DirectoryStream(openPath(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {}
    // Reads the directory open at fd, which the stream takes over: once
    // fdopendir took it, the stream owns it and closedir closes it; if
    // fdopendir refuses it, the Fd closes it here.
    explicit DirectoryStream(Fd fd)
    {
        if (fd.valid() && (dir_ = ::fdopendir(fd.get())))
            fd.release();
    }
    // Reads, from its first entry, the directory open at dirFd, through a
    // copy of the descriptor: dirFd stays the caller's and stays open (the
    // copy shares its position, which the reading moves).
    static DirectoryStream copyOf(int dirFd)
    {
        DirectoryStream stream(Fd(::fcntl(dirFd, F_DUPFD_CLOEXEC, 0)));
        if (stream.dir_)
            ::rewinddir(stream.dir_);
        return stream;
    }
    ~DirectoryStream()
    {
        if (dir_)
            ::closedir(dir_);
    }
    DirectoryStream(DirectoryStream&& other) noexcept : dir_(other.dir_), error_(other.error_) { other.dir_ = nullptr; }
    DirectoryStream& operator=(DirectoryStream&&) = delete;
    DirectoryStream(const DirectoryStream&) = delete;
    DirectoryStream& operator=(const DirectoryStream&) = delete;

    bool isOpen() const { return dir_ != nullptr; }
    // For the *at calls on the directory's entries.
    int fd() const { return ::dirfd(dir_); }

    // The next entry other than "." and ".."; null at the end or on a read
    // error, which error() then tells apart.
    const dirent* next()
    {
        for (;;) {
            errno = 0;
            const dirent* e = ::readdir(dir_);
            if (!e) {
                error_ = errno;
                return nullptr;
            }
            const char* name = e->d_name;
            if (!(name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))))
                return e;
        }
    }
    // The directory could not be read to its end: what was read is partial.
    // Its errno, 0 when every entry was read.
    int error() const { return error_; }

private:
    DIR* dir_ = nullptr;
    int error_ = 0;
};

} // namespace tessarin::platform
