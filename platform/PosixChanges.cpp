// The changes the executor makes on disk, other than copying. Each resolves
// its path beneath its root and works on directory descriptors.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <locale.h>
#include <optional>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include "platform/DirectoryStream.h"
#include "platform/PosixFileSystem.h"
#include "platform/PosixVolumes.h"

namespace tessarin::platform {

namespace {

// The temporary name before it took its marker: ".tessarin-" and six ASCII
// letters or digits.
bool isEarlierTemporaryName(std::string_view name)
{
    constexpr std::string_view kPrefix = ".tessarin-";
    if (name.size() != kPrefix.size() + 6 || name.substr(0, kPrefix.size()) != kPrefix)
        return false;
    return std::all_of(name.begin() + kPrefix.size(), name.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    });
}

FsResult changeResult(int status)
{
    if (status == 0)
        return {};
    return changeFailure(errno);
}

EntryKind kindOfMode(mode_t mode)
{
    if (S_ISDIR(mode))
        return EntryKind::Directory;
    if (S_ISLNK(mode))
        return EntryKind::Link;
    return EntryKind::Other;
}

// The directory holding a place's last name, beneath its root.
struct ParentDir {
    Fd dir;
    std::string name;
    int error = 0;
};

ParentDir openParent(const TreePath& path)
{
    ParentDir parent;
    Fd root(openRoot(path));
    if (!root.valid()) {
        parent.error = errno;
        return parent;
    }
    parent.dir = openParentBeneath(root.get(), path.relative.text(), parent.name);
    if (!parent.dir.valid())
        parent.error = errno;
    return parent;
}

struct TreeEntry {
    std::string name;
    bool directory = false;
};

// Every entry of an open directory but "." and "..", sorted by name in byte
// order. The descriptor stays open. False when it cannot be read to its end.
bool readEntries(int dirFd, std::vector<TreeEntry>& out)
{
    out.clear();
    DirectoryStream dir = DirectoryStream::copyOf(dirFd);
    if (!dir.isOpen())
        return false;
    while (const dirent* e = dir.next()) {
        const char* name = e->d_name;
        bool directory = e->d_type == DT_DIR;
        if (e->d_type == DT_UNKNOWN) {
            struct stat st;
            directory = ::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
        }
        out.push_back({name, directory});
    }
    if (dir.error() != 0) {
        out.clear();
        return false;
    }
    std::sort(out.begin(), out.end(), [](const TreeEntry& a, const TreeEntry& b) { return a.name < b.name; });
    return true;
}

} // namespace

std::string systemErrorText(int errorNumber)
{
    // The program speaks Chinese whatever the user's locale: the system's
    // texts come from glibc's Simplified Chinese translation, looked up in a
    // locale of their own (made once), so no thread's locale is changed.
    // strerror_l is safe on every thread. Where that locale is not
    // generated, or a text has no translation, the English text stands.
    static const locale_t chinese = ::newlocale(LC_ALL_MASK, "zh_CN.UTF-8", locale_t(nullptr));
    if (chinese != locale_t(nullptr)) {
        const char* text = ::strerror_l(errorNumber, chinese);
        if (text && *text)
            return text;
    }
    char buffer[256];
    // The GNU strerror_r returns the text, in buffer or a static string.
    const char* text = ::strerror_r(errorNumber, buffer, sizeof buffer);
    return text && *text ? text : "error " + std::to_string(errorNumber);
}

std::string changeErrorText(int errorNumber)
{
    return errorNumber == kOutsideRoot ? outsideRootText() : systemErrorText(errorNumber);
}

FsResult FsResult::failure(int errorNumber)
{
    FsResult result(systemErrorText(errorNumber));
    result.errorNumber = errorNumber;
    return result;
}

FsResult changeFailure(int errorNumber)
{
    if (errorNumber == kOutsideRoot)
        return {FsResult::Refusal::OutsideRoot, outsideRootText()};
    return FsResult::failure(errorNumber);
}

Fd openRoot(const TreePath& path)
{
    return openPath(path.root.path().bytes(), O_PATH | O_DIRECTORY);
}

void PosixFileSystem::noteWritten(int dirFd)
{
    struct stat st;
    if (::fstat(dirFd, &st) == 0)
        noteWritten(static_cast<std::uint64_t>(st.st_dev), dirFd);
}

void PosixFileSystem::noteWritten(std::uint64_t device, int dirFd)
{
    std::lock_guard lock(writtenMutex_);
    if (writtenDevices_.count(device))
        return;
    // syncfs needs a descriptor opened for reading, not a path.
    Fd readable(::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (readable.valid())
        writtenDevices_.emplace(device, std::move(readable));
}

FsResult PosixFileSystem::flushWrites()
{
    std::map<std::uint64_t, Fd> devices;
    {
        std::lock_guard lock(writtenMutex_);
        devices.swap(writtenDevices_);
    }
    {
        // A device number may belong to another volume by the next command.
        std::lock_guard lock(restampMutex_);
        restampingDevices_.clear();
    }
    {
        std::lock_guard lock(volumeMutex_);
        deviceTraits_.clear();
    }
    FsResult result;
    for (auto& [device, fd] : devices)
        if (::syncfs(fd.get()) != 0 && result.ok())
            result = FsResult::failure(errno);
    return result;
}

FsResult PosixFileSystem::deleteFile(const TreePath& path)
{
    ParentDir parent = openParent(path);
    if (!parent.dir.valid())
        return changeFailure(parent.error);
    // unlinkat never follows a link, and refuses a directory.
    const FsResult result = changeResult(::unlinkat(parent.dir.get(), parent.name.c_str(), 0));
    if (result.ok())
        noteWritten(parent.dir.get());
    return result;
}

FsResult PosixFileSystem::setAttributes(const TreePath& path, std::uint32_t word)
{
    Fd root(openRoot(path));
    if (!root.valid())
        return FsResult::failure(errno);
    // A final link is followed only while it stays beneath the root; O_PATH
    // opens any file, whatever its permissions, and never blocks.
    Fd target(openBeneath(root.get(), path.relative.text(), O_PATH));
    if (!target.valid())
        return changeFailure(errno);
    struct stat st;
    if (::fstat(target.get(), &st) != 0)
        return FsResult::failure(errno);
    // fchmod refuses an O_PATH descriptor; its /proc name reaches the same file.
    const std::string byDescriptor = "/proc/self/fd/" + std::to_string(target.get());
    auto applyMode = [&](mode_t mode) {
        if (::chmod(byDescriptor.c_str(), mode) == 0)
            return 0;
        if (errno != ENOENT)
            return errno;
        // No /proc mounted: a descriptor for reading serves, where it may be opened.
        Fd readable(openBeneath(root.get(), path.relative.text(), O_RDONLY | O_NONBLOCK | O_NOCTTY));
        return readable.valid() && ::fchmod(readable.get(), mode) == 0 ? 0 : errno;
    };

    // A volume that keeps no permission bits holds the read-only state at
    // most; a refusal anywhere else (another user's file) is a failure.
    const mode_t permissions = (word & kPermissionMask) >> kPermissionShift;
    if (permissions != 0 && deviceTraits(st.st_dev, target.get()).permissions == VolumeTraits::Permissions::All) {
        if (const int error = applyMode(permissions))
            return FsResult::failure(error);
        noteWritten(root.get());
        return {};
    }
    mode_t mode = st.st_mode & 07777;
    if (word & kAttrReadOnly)
        mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    else
        mode |= S_IWUSR;
    if (mode == (st.st_mode & 07777))
        return {};
    if (const int error = applyMode(mode))
        return FsResult::failure(error);
    noteWritten(root.get());
    return {};
}

std::optional<Ownership> PosixFileSystem::ownershipOf(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return std::nullopt;
    return Ownership{static_cast<std::uint32_t>(st.st_mode & 07777), static_cast<std::uint32_t>(st.st_uid),
                     static_cast<std::uint32_t>(st.st_gid)};
}

FsResult PosixFileSystem::makeDirectory(int parentFd, const std::string& name, const std::optional<Ownership>& like)
{
    if (auto refused = refuseName(parentFd, name))
        return std::move(*refused);
    if (::mkdirat(parentFd, name.c_str(), like ? 0700 : 0777) != 0)
        return changeFailure(errno);
    noteWritten(parentFd);
    if (!like)
        return {};
    Fd made(::openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    if (!made.valid() || ::fstat(made.get(), &st) != 0)
        return FsResult::failure(errno);
    static const bool mayGiveOwners = ::geteuid() == 0;
    const auto user = static_cast<uid_t>(like->user);
    const auto group = static_cast<gid_t>(like->group);
    bool owned = st.st_uid == user && st.st_gid == group;
    // A volume that holds no owners refuses, or accepts without keeping:
    // the owner read back decides.
    if (!owned && mayGiveOwners && ::fchown(made.get(), user, group) == 0)
        owned = ::fstat(made.get(), &st) == 0 && st.st_uid == user && st.st_gid == group;
    mode_t mode = like->mode & 07777;
    if (!owned)
        mode &= ~static_cast<mode_t>(S_ISUID | S_ISGID);
    // The directory is ours: a refusal can only be a volume that keeps no
    // permission bits (one mounted below the root whose traits were asked).
    if (::fchmod(made.get(), mode) != 0 && !isRefusedByVolume(errno))
        return FsResult::failure(errno);
    return {};
}

FsResult PosixFileSystem::createDirectory(const TreePath& path, const std::optional<Ownership>& like)
{
    if (path.relative.isRoot()) {
        // The root itself, where the user's choice names a directory still to come.
        const std::string whole = path.full();
        const std::size_t slash = whole.rfind('/');
        Fd above(openPath(slash == 0 ? "/" : whole.substr(0, slash), O_PATH | O_DIRECTORY));
        if (!above.valid())
            return FsResult::failure(errno);
        return makeDirectory(above.get(), whole.substr(slash + 1), like);
    }
    ParentDir parent = openParent(path);
    if (!parent.dir.valid())
        return changeFailure(parent.error);
    return makeDirectory(parent.dir.get(), parent.name, like);
}

FsResult PosixFileSystem::removeDirectory(const TreePath& path)
{
    ParentDir parent = openParent(path);
    if (!parent.dir.valid())
        return changeFailure(parent.error);
    // A link in the directory's place is refused (ENOTDIR), never followed.
    const FsResult result = changeResult(::unlinkat(parent.dir.get(), parent.name.c_str(), AT_REMOVEDIR));
    if (result.ok())
        noteWritten(parent.dir.get());
    return result;
}

EntryKind PosixFileSystem::entryKind(const TreePath& path)
{
    ParentDir parent;
    struct stat st;
    int status = -1;
    if (path.relative.isRoot()) {
        Fd root(openRoot(path));
        status = root.valid() ? ::fstat(root.get(), &st) : -1;
    } else {
        parent = openParent(path);
        errno = parent.error;
        if (parent.dir.valid())
            status = ::fstatat(parent.dir.get(), parent.name.c_str(), &st, AT_SYMLINK_NOFOLLOW);
    }
    if (status == 0)
        return kindOfMode(st.st_mode);
    return errno == ENOENT || errno == ENOTDIR ? EntryKind::Missing : EntryKind::Other;
}

std::optional<FileId> PosixFileSystem::entryId(const TreePath& path)
{
    ParentDir parent = openParent(path);
    struct stat st;
    if (!parent.dir.valid() || ::fstatat(parent.dir.get(), parent.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

EntryState PosixFileSystem::entryState(const TreePath& path)
{
    EntryState state;
    ParentDir parent = openParent(path);
    errno = parent.error;
    struct stat st;
    if (!parent.dir.valid() || ::fstatat(parent.dir.get(), parent.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        // One that cannot be looked at (leading out of the root, or a
        // search refused) is not taken for missing.
        if (errno != ENOENT && errno != ENOTDIR)
            state.kind = EntryKind::Other;
        return state;
    }
    state.kind = kindOfMode(st.st_mode);
    state.id = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
    // A link is listed as what it leads to; a broken one as nothing.
    if (S_ISLNK(st.st_mode) && ::fstatat(parent.dir.get(), parent.name.c_str(), &st, 0) != 0)
        return state;
    state.regularFile = S_ISREG(st.st_mode);
    state.leadsToDirectory = state.kind == EntryKind::Link && S_ISDIR(st.st_mode);
    state.size = static_cast<std::uint64_t>(st.st_size);
    state.modifiedSeconds = st.st_mtim.tv_sec;
    return state;
}

FsResult PosixFileSystem::emptyDirectoryTree(const TreePath& directory, std::string& failedPath)
{
    failedPath.clear();
    Fd root(openRoot(directory));
    if (!root.valid())
        return {};
    // The directory itself is not followed when it is a link: such a link is
    // removed in its own step, never emptied.
    Fd dir(openBeneath(root.get(), directory.relative.text(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW));
    if (!dir.valid())
        return {}; // unreadable or gone: its own removal tells
    std::string path = directory.full();
    if (path.back() != '/')
        path += '/';
    return emptyOpenDirectory(dir.get(), path, failedPath);
}

FsResult PosixFileSystem::emptyOpenDirectory(int dirFd, const std::string& path, std::string& failedPath)
{
    std::vector<TreeEntry> entries;
    if (!readEntries(dirFd, entries))
        return {};
    bool changed = false;
    for (const TreeEntry& entry : entries) {
        if (!entry.directory || entry.name.front() == '.')
            continue;
        beforeEnteringDirectory(dirFd, entry.name);
        Fd sub(::openat(dirFd, entry.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!sub.valid() && (errno == ELOOP || errno == ENOTDIR)) {
            // No longer a directory (a link swapped in): removed as what it is now.
            changed |= ::unlinkat(dirFd, entry.name.c_str(), 0) == 0;
            continue;
        }
        if (sub.valid()) {
            const FsResult inner = emptyOpenDirectory(sub.get(), path + entry.name + "/", failedPath);
            if (!inner.ok())
                return inner;
            sub.reset();
        }
        if (::unlinkat(dirFd, entry.name.c_str(), AT_REMOVEDIR) != 0) {
            failedPath = path + entry.name;
            const int error = errno;
            if (changed)
                noteWritten(dirFd);
            return FsResult::failure(error);
        }
        changed = true;
    }
    for (const TreeEntry& entry : entries)
        if (!entry.directory)
            changed |=
                ::unlinkat(dirFd, entry.name.c_str(), 0) == 0; // one left shows when its directory's removal fails
    if (changed)
        noteWritten(dirFd);
    return {};
}

void PosixFileSystem::removeStaleTemporaries(const TreePath& directory, FileTime commandStart)
{
    Fd root(openRoot(directory));
    if (!root.valid())
        return;
    Fd dir(openBeneath(root.get(), directory.relative.text(), O_RDONLY | O_DIRECTORY));
    std::vector<TreeEntry> entries;
    if (!dir.valid() || !readEntries(dir.get(), entries))
        return;
    // Asked of the volume at the first name that may be a leftover, which
    // few directories hold.
    std::optional<FileTime> before;
    bool changed = false;
    for (const TreeEntry& entry : entries) {
        const bool current = isTemporaryName(entry.name);
        if (entry.directory || (!current && !isEarlierTemporaryName(entry.name)))
            continue;
        struct stat st;
        if (::fstatat(dir.get(), entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
            (!current && st.st_size != 0))
            continue;
        if (!before) {
            struct statfs fs;
            const bool exact = ::fstatfs(dir.get(), &fs) == 0 && stampsWithKernelClock(fs.f_type);
            before = FileTime{commandStart.seconds - (exact ? 0 : 2), commandStart.nanoseconds};
        }
        const std::int64_t seconds = st.st_ctim.tv_sec;
        if (seconds < before->seconds || (seconds == before->seconds && st.st_ctim.tv_nsec < before->nanoseconds))
            changed |= ::unlinkat(dir.get(), entry.name.c_str(), 0) == 0;
    }
    if (changed)
        noteWritten(dir.get());
}

} // namespace tessarin::platform
