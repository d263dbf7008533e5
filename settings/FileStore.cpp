#include "settings/FileStore.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Path.h"
#include "platform/PathOpen.h"

namespace tessarin::settings {

namespace {

// A settings file that is a link is written through to what it points to,
// so that the link stays a link.
std::string linkTarget(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char resolved[PATH_MAX];
    if (!::realpath(path.c_str(), resolved))
        return path;
    return resolved;
}

// Opens path for reading or writing without blocking, and only if it is a
// regular file: a FIFO in its place would block the open (and the program's
// start) for ever, a device may do anything when read. Returns an invalid Fd
// with errno EINVAL for anything else.
platform::Fd openRegular(const std::string& path, int access)
{
    platform::Fd fd(platform::openPath(path, access | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
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

// Whether something other than a regular file stands at path (a directory, a
// FIFO, a device): it is never read, and never replaced by a save.
bool isOtherThanFile(const std::string& path)
{
    struct stat st {};
    return platform::statPath(path, st) == 0 && !S_ISREG(st.st_mode);
}

} // namespace

FileStore::ReadStatus FileStore::read(const std::string& path, std::string& text)
{
    text.clear();
    platform::Fd fd = openRegular(path, O_RDONLY);
    if (!fd.valid()) {
        if (errno == EINVAL)
            return ReadStatus::NotAFile;
        return errno == ENOENT ? ReadStatus::Missing : ReadStatus::Failed;
    }
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n == 0)
            return ReadStatus::Read;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            text.clear();
            return ReadStatus::Failed;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
}

bool FileStore::replace(const std::string& path, std::string_view text)
{
    const std::string target = linkTarget(path);
    if (isOtherThanFile(target))
        return false;
    bool directoryRefused = false;
    if (replaceThroughTemporary(target, text, directoryRefused))
        return true;
    return directoryRefused && rewriteInPlace(target, text);
}

bool FileStore::replaceThroughTemporary(const std::string& target, std::string_view text, bool& directoryRefused)
{
    std::string temporary;
    platform::Fd fd(createTemporaryBeside(target, temporary));
    if (fd.get() < 0) {
        directoryRefused = errno == EACCES || errno == EPERM;
        return false;
    }
    // The replacement keeps the permissions and, where allowed, the owner.
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) {
        ::fchmod(fd.get(), old.st_mode & 07777);
        if (::fchown(fd.get(), old.st_uid, old.st_gid) != 0) {
            // Only a privileged process may give a file away; the new file is then ours.
        }
    }
    const bool written = writeAll(fd.get(), text) && ::fsync(fd.get()) == 0;
    if (fd.close() != 0 || !written || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool FileStore::rewriteInPlace(const std::string& target, std::string_view text)
{
    platform::Fd fd(openInPlace(target));
    if (!fd.valid())
        return false;
    if (!writeAll(fd.get(), text) || ::ftruncate(fd.get(), static_cast<off_t>(text.size())) != 0)
        return false;
    return ::fsync(fd.get()) == 0 && fd.close() == 0;
}

int FileStore::createTemporaryBeside(const std::string& target, std::string& temporaryPath)
{
    // A hidden name in the same directory, so that the rename stays on one file system.
    const platform::Path path(target);
    const std::string stem = (path.parent() / ("." + std::string(path.fileName()) + ".")).bytes();
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        temporaryPath = stem + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".tmp";
        const int fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

int FileStore::openInPlace(const std::string& path)
{
    return openRegular(path, O_WRONLY).release();
}

bool FileStore::writeAll(int fd, std::string_view text)
{
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace tessarin::settings
