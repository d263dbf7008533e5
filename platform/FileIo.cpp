#include "platform/FileIo.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/PathOpen.h"

namespace tessarin::platform {

bool writeAll(int fd, std::string_view data, off_t offset)
{
    while (!data.empty()) {
        const ssize_t n =
            offset < 0 ? ::write(fd, data.data(), data.size()) : ::pwrite(fd, data.data(), data.size(), offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
        if (offset >= 0)
            offset += n;
    }
    return true;
}

bool readAll(int fd, std::string& text)
{
    text.clear();
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            text.clear();
            errno = error;
            return false;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
}

Fd openRegularFile(const std::string& path, int access)
{
    Fd fd(openPath(path, access | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.valid())
        return fd;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        fd.reset();
        errno = EINVAL;
        return fd;
    }
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    return fd;
}

namespace {

// path made whole: realpath of what exists of it (its parent, where the last
// name is missing).
std::string resolved(const std::string& path)
{
    char whole[PATH_MAX];
    if (::realpath(path.c_str(), whole))
        return whole;
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos || !::realpath(slash == 0 ? "/" : path.substr(0, slash).c_str(), whole))
        return path;
    const std::string parent = whole;
    return (parent == "/" ? "" : parent) + path.substr(slash);
}

} // namespace

std::optional<std::string> followedOwnLink(const std::string& path)
{
    const uid_t user = ::geteuid();
    std::string current = path;
    for (int links = 0;; ++links) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0) // missing: a broken link's file is made
            return links == 0 ? path : resolved(current);
        if (!S_ISLNK(st.st_mode)) {
            if (links == 0)
                return path;
            if (st.st_uid != user)
                return std::nullopt;
            return resolved(current);
        }
        if (st.st_uid != user || links == 40)
            return std::nullopt;
        std::string target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
        if (n <= 0 || n >= static_cast<ssize_t>(target.size()))
            return std::nullopt;
        target.resize(static_cast<std::size_t>(n));
        if (target.front() != '/') {
            const std::size_t slash = current.rfind('/');
            target = (slash == std::string::npos ? std::string() : current.substr(0, slash + 1)) + target;
        }
        current = std::move(target);
    }
}

bool syncFile(int fd)
{
    return ::fsync(fd) == 0;
}

bool truncateFile(int fd, off_t size)
{
    return ::ftruncate(fd, size) == 0;
}

bool mayWriteIn(const std::string& directory)
{
    return ::access(directory.c_str(), W_OK) == 0;
}

void makeDirectoriesAbove(const std::string& path, mode_t mode)
{
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        ::mkdir(path.substr(0, slash).c_str(), mode);
}

} // namespace tessarin::platform
