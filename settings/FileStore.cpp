#include "settings/FileStore.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

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
    // Every way out before the commit removes the temporary file.
    platform::TemporaryFile temporary = createTemporaryBeside(target);
    if (!temporary.created()) {
        directoryRefused = errno == EACCES || errno == EPERM;
        return false;
    }
    const std::string name(platform::Path(target).fileName());
    // The replacement keeps the permissions and, where allowed, the owner.
    struct stat old {};
    if (::fstatat(temporary.directory(), name.c_str(), &old, 0) == 0) {
        ::fchmod(temporary.fd(), old.st_mode & 07777);
        if (::fchown(temporary.fd(), old.st_uid, old.st_gid) != 0) {
            // Only a privileged process may give a file away; the new file is then ours.
        }
    }
    if (!writeAll(temporary.fd(), text) || ::fsync(temporary.fd()) != 0)
        return false;
    return temporary.commit(name) == 0;
}

bool FileStore::rewriteInPlace(const std::string& target, std::string_view text)
{
    platform::Fd fd = openInPlace(target);
    if (!fd.valid())
        return false;
    if (!writeAll(fd.get(), text) || ::ftruncate(fd.get(), static_cast<off_t>(text.size())) != 0)
        return false;
    return ::fsync(fd.get()) == 0 && fd.close() == 0;
}

platform::TemporaryFile FileStore::createTemporaryBeside(const std::string& target)
{
    // In the same directory, so that the rename stays on one file system.
    platform::Fd directory = platform::openPath(platform::Path(target).parent().bytes(), O_PATH | O_DIRECTORY);
    if (!directory.valid())
        return {};
    return platform::TemporaryFile::create(std::move(directory), O_WRONLY, 0666);
}

platform::Fd FileStore::openInPlace(const std::string& path)
{
    return openRegular(path, O_WRONLY);
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
