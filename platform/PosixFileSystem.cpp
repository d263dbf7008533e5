#include "platform/PosixFileSystem.h"

#include "platform/DirectoryStream.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    entry.modified = FileTime{static_cast<std::int64_t>(st.st_mtim.tv_sec),
                              static_cast<std::int32_t>(st.st_mtim.tv_nsec)};
    entry.id = FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
    return entry;
}

void sortByName(std::vector<DirEntry>& entries)
{
    // std::string compares bytes as unsigned char: plain byte order.
    std::sort(entries.begin(), entries.end(),
              [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
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

bool PosixFileSystem::readDirectory(const std::string& directory, bool wantDirectories,
                                    std::string_view fileMask, DirectoryContents& out)
{
    out.directories.clear();
    out.files.clear();
    DirectoryStream dir(directory);
    if (!dir.isOpen())
        return false;
    const bool everyFile = isAllMask(fileMask);
    struct stat st;
    bool unseen = false;
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
        // Follows links: a link stands for what it points to; a broken one fails here.
        if (::fstatat(dir.fd(), name, &st, 0) != 0) {
            // A file or directory of its own that cannot be looked at (a
            // directory readable but not searchable) leaves the listing
            // incomplete; one that has just gone is simply not listed.
            if (e->d_type != DT_LNK && errno != ENOENT)
                unseen = true;
            continue;
        }
        if (S_ISDIR(st.st_mode)) {
            if (wantDirectories && !hidden)
                out.directories.push_back(makeEntry(name, st));
        } else if (S_ISREG(st.st_mode)) {
            if (everyFile || matchesMask(name, fileMask))
                out.files.push_back(makeEntry(name, st));
        }
    }
    // A listing cut short would pass for the whole directory.
    if (dir.failed() || unseen) {
        out.directories.clear();
        out.files.clear();
        return false;
    }
    sortByName(out.directories);
    sortByName(out.files);
    return true;
}

std::optional<FileId> PosixFileSystem::directoryId(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return std::nullopt;
    return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
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
