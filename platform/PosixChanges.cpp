// The changes the executor makes on disk, other than copying.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/DirectoryStream.h"
#include "platform/PosixFileSystem.h"

namespace tessarin::platform {

namespace {

FsResult resultOf(int status)
{
    if (status == 0)
        return {};
    return {systemErrorText(errno)};
}

EntryKind kindOfMode(mode_t mode)
{
    if (S_ISDIR(mode))
        return EntryKind::Directory;
    if (S_ISLNK(mode))
        return EntryKind::Link;
    return EntryKind::Other;
}

} // namespace

std::string systemErrorText(int errorNumber)
{
    const char* text = std::strerror(errorNumber);
    return text && *text ? text : "error " + std::to_string(errorNumber);
}

FsResult PosixFileSystem::deleteFile(const std::string& path)
{
    // unlink never follows a link, and refuses a directory.
    return resultOf(::unlink(path.c_str()));
}

FsResult PosixFileSystem::setAttributes(const std::string& path, std::uint32_t word)
{
    const mode_t permissions = (word & kPermissionMask) >> kPermissionShift;
    if (permissions != 0)
        return resultOf(::chmod(path.c_str(), permissions));
    // A word without permission bits carries only the read-only state.
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return {systemErrorText(errno)};
    mode_t mode = st.st_mode & 07777;
    if (word & kAttrReadOnly)
        mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    else
        mode |= S_IWUSR;
    if (mode == (st.st_mode & 07777))
        return {};
    return resultOf(::chmod(path.c_str(), mode));
}

FsResult PosixFileSystem::createDirectory(const std::string& path)
{
    return resultOf(::mkdir(path.c_str(), 0777));
}

FsResult PosixFileSystem::removeDirectory(const std::string& path)
{
    return resultOf(::rmdir(path.c_str()));
}

EntryKind PosixFileSystem::entryKind(const std::string& path)
{
    std::string bare = path;
    // "dir/" would follow a link named dir: look at the entry itself.
    while (bare.size() > 1 && bare.back() == '/')
        bare.pop_back();
    struct stat st;
    if (::lstat(bare.c_str(), &st) != 0)
        return EntryKind::Missing;
    return kindOfMode(st.st_mode);
}

bool PosixFileSystem::readEntries(const std::string& directory, std::vector<TreeEntry>& out)
{
    out.clear();
    DirectoryStream dir(directory);
    if (!dir.isOpen())
        return false;
    while (const dirent* e = dir.next()) {
        const char* name = e->d_name;
        TreeEntry entry{name, EntryKind::Other};
        switch (e->d_type) {
        case DT_DIR:
            entry.kind = EntryKind::Directory;
            break;
        case DT_LNK:
            entry.kind = EntryKind::Link;
            break;
        case DT_UNKNOWN: {
            struct stat st;
            if (::fstatat(dir.fd(), name, &st, AT_SYMLINK_NOFOLLOW) == 0)
                entry.kind = kindOfMode(st.st_mode);
            break;
        }
        default:
            break;
        }
        out.push_back(std::move(entry));
    }
    if (dir.failed()) {
        out.clear();
        return false;
    }
    std::sort(out.begin(), out.end(), [](const TreeEntry& a, const TreeEntry& b) { return a.name < b.name; });
    return true;
}

} // namespace tessarin::platform
