#include "settings/FileStore.h"

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <utility>

#include "platform/FileIo.h"
#include "platform/Path.h"
#include "platform/PathOpen.h"

namespace tessarin::settings {

namespace {

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
    // Only a regular file is read, and the open never blocks: a FIFO in its
    // place would hold up the program's start for ever.
    platform::Fd fd = platform::openRegularFile(path, O_RDONLY);
    if (!fd.valid()) {
        if (errno == EINVAL)
            return ReadStatus::NotAFile;
        return errno == ENOENT ? ReadStatus::Missing : ReadStatus::Failed;
    }
    return platform::readAll(fd.get(), text) ? ReadStatus::Read : ReadStatus::Failed;
}

bool FileStore::replace(const std::string& path, std::string_view text)
{
    // A settings file that is a link is written through to what it points
    // to, so that the link stays a link; a broken one, to the file it names.
    // Only the user's own links are written through, to the user's own file.
    const std::optional<std::string> followed = platform::followedOwnLink(path);
    if (!followed)
        return false;
    const std::string& target = *followed;
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
    temporary.keepModeAndOwnerOf(name);
    if (!writeAll(temporary.fd(), text) || !platform::syncFile(temporary.fd()))
        return false;
    return temporary.commit(name) == 0;
}

bool FileStore::rewriteInPlace(const std::string& target, std::string_view text)
{
    platform::Fd fd = openInPlace(target);
    if (!fd.valid())
        return false;
    if (!writeAll(fd.get(), text) || !platform::truncateFile(fd.get(), static_cast<off_t>(text.size())))
        return false;
    return platform::syncFile(fd.get()) && fd.close() == 0;
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
    return platform::openRegularFile(path, O_WRONLY);
}

bool FileStore::writeAll(int fd, std::string_view text)
{
    return platform::writeAll(fd, text);
}

} // namespace tessarin::settings
