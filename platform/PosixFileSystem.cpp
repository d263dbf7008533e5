#include "platform/PosixFileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <unistd.h>

#include "platform/DirectoryStream.h"
#include "platform/MountInfo.h"
#include "platform/PathOpen.h"

namespace tessarin::platform {

namespace {

bool isAllMask(std::string_view mask)
{
    return mask.empty() || mask == "*" || mask == "*.*";
}

DirEntry makeEntry(const char* name, const struct stat& st)
{
    DirEntry entry;
    entry.name = name;
    entry.attributes = attributeWord(st.st_mode, entry.name);
    entry.size = static_cast<std::uint64_t>(st.st_size);
    entry.modified =
        FileTime{static_cast<std::int64_t>(st.st_mtim.tv_sec), static_cast<std::int32_t>(st.st_mtim.tv_nsec)};
    entry.id = FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
    return entry;
}

void sortByName(std::vector<DirEntry>& entries)
{
    // std::string compares bytes as unsigned char: plain byte order.
    std::sort(entries.begin(), entries.end(), [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
}

} // namespace

std::uint32_t attributeWord(unsigned mode, std::string_view name)
{
    std::uint32_t word = (static_cast<std::uint32_t>(mode) & 07777u) << kPermissionShift;
    if (S_ISDIR(mode))
        word |= kAttrDirectory;
    else if (S_ISREG(mode))
        word |= kAttrArchive;
    if (!(mode & S_IWUSR))
        word |= kAttrReadOnly;
    if (!name.empty() && name.front() == '.')
        word |= kAttrHidden;
    return word;
}

Result<DirectoryContents> PosixFileSystem::readDirectory(const std::string& directory, bool wantDirectories,
                                                         std::string_view fileMask)
{
    DirectoryStream dir(directory);
    if (!dir.isOpen())
        return FsResult::failure(errno);
    DirectoryContents out;
    const bool everyFile = isAllMask(fileMask);
    struct stat st;
    int unseen = 0; // the errno of an entry that could not be looked at
    while (const dirent* e = dir.next()) {
        const char* name = e->d_name;
        const bool hidden = name[0] == '.';
        switch (e->d_type) {
        case DT_DIR:
            if (!wantDirectories || hidden)
                continue;
            break;
        case DT_REG:
            if (!everyFile && !matchesMask(name, fileMask))
                continue;
            break;
        case DT_LNK:
        case DT_UNKNOWN:
            break; // the stat below tells what it is
        default:
            continue; // FIFOs, sockets, devices: never listed, never opened
        }
        // The entry itself first: one call for all but links.
        if (::fstatat(dir.fd(), name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            // Gone meanwhile: simply not listed. An entry that cannot be
            // looked at at all (a directory readable but not searchable)
            // leaves the listing incomplete.
            if (errno != ENOENT)
                unseen = errno;
            continue;
        }
        bool othersLink = false;
        if (S_ISLNK(st.st_mode)) {
            // A link stands for what it points to, and says whose it is. A
            // broken one, or one whose target cannot be reached, is not listed.
            othersLink = st.st_uid != ::geteuid();
            if (::fstatat(dir.fd(), name, &st, 0) != 0)
                continue;
        }
        if (S_ISDIR(st.st_mode)) {
            if (wantDirectories && !hidden) {
                out.directories.push_back(makeEntry(name, st));
                out.directories.back().othersLink = othersLink;
            }
        } else if (S_ISREG(st.st_mode) && !isTemporaryName(name)) {
            // A copy's temporary file (of a run under way, or of one killed)
            // is no file of the user's.
            if (everyFile || matchesMask(name, fileMask)) {
                out.files.push_back(makeEntry(name, st));
                out.files.back().othersLink = othersLink;
            }
        }
    }
    // A listing cut short would pass for the whole directory.
    if (dir.error() != 0 || unseen != 0)
        return FsResult::failure(dir.error() != 0 ? dir.error() : unseen);
    sortByName(out.directories);
    sortByName(out.files);
    return out;
}

std::optional<FileId> PosixFileSystem::directoryId(const std::string& path)
{
    struct stat st;
    if (statPath(path, st) != 0 || !S_ISDIR(st.st_mode))
        return std::nullopt;
    return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

// Whether the device is a devtmpfs mount.
static bool isDevtmpfs(dev_t device)
{
    const std::vector<MountRecord> mounts = readMountInfo();
    return std::any_of(mounts.begin(), mounts.end(), [&](const MountRecord& mount) {
        return mount.major == major(device) && mount.minor == minor(device) && mount.type == "devtmpfs";
    });
}

static bool isPseudoFileSystemType(long type)
{
    // The magic numbers of <linux/magic.h>, spelled out so that the list is
    // the same wherever the program is built.
    switch (static_cast<unsigned long>(type)) {
    case 0x9fa0:     // proc
    case 0x62656572: // sysfs
    case 0x01021994: // tmpfs as devtmpfs mounts it on /dev: judged by the mount below
    case 0x1cd1:     // devpts
    case 0x27e0eb:   // cgroup
    case 0x63677270: // cgroup2
    case 0x64626720: // debugfs
    case 0x74726163: // tracefs
    case 0x73636673: // securityfs
    case 0x6165676c: // pstore
    case 0xcafe4a11: // bpf
    case 0x62656570: // configfs
    case 0x65735543: // fusectl
    case 0x19800202: // mqueue
    case 0x958458f6: // hugetlbfs
    case 0x0187:     // autofs
    case 0x42494e4d: // binfmt_misc
    case 0xde5e81e4: // efivarfs
        return true;
    default:
        return false;
    }
}

bool PosixFileSystem::isPseudoFileSystem(const std::string& directory)
{
    // O_PATH: looking does not trigger an automount; any length of path.
    const Fd dir(openPath(directory, O_PATH | O_DIRECTORY));
    struct statfs fs;
    if (!dir.valid() || ::fstatfs(dir.get(), &fs) != 0)
        return false; // what cannot be looked at is not read either
    if (static_cast<unsigned long>(fs.f_type) != 0x01021994)
        return isPseudoFileSystemType(fs.f_type);
    // tmpfs is a real place for files (/tmp, /dev/shm) except as devtmpfs,
    // which holds the device nodes; devtmpfs reports tmpfs's magic number.
    struct stat st;
    return ::fstat(dir.get(), &st) == 0 && isDevtmpfs(st.st_dev);
}

bool PosixFileSystem::leadsOutThroughOthersLink(const TreePath& path)
{
    const Fd root(openRoot(path));
    return root.valid() && !openThroughOwnLinks(root.get(), path.relative.text(), O_PATH).valid() &&
           errno == kOutsideRoot;
}

mode_t processUmask()
{
    static const mode_t mask = [] {
        std::ifstream status("/proc/self/status");
        std::string line;
        while (std::getline(status, line))
            if (line.rfind("Umask:", 0) == 0)
                return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8) & 0777);
        const mode_t old = ::umask(0);
        ::umask(old);
        return old;
    }();
    return mask;
}

std::int64_t PosixFileSystem::zoneOffsetNow()
{
    const std::time_t now = std::time(nullptr);
    struct tm local;
    if (!::localtime_r(&now, &local))
        return 0;
    return local.tm_gmtoff;
}

} // namespace tessarin::platform
