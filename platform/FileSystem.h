#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessarin::platform {

// The attribute word of a file or directory. The low bits keep their classic
// meaning; bits 16 to 27 carry the permission bits (mode & 07777), so that a
// permission change shows up as an attribute difference.
inline constexpr std::uint32_t kAttrReadOnly = 0x01;
inline constexpr std::uint32_t kAttrHidden = 0x02;
inline constexpr std::uint32_t kAttrSystem = 0x04;
inline constexpr std::uint32_t kAttrVolumeLabel = 0x08;
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kAttrArchive = 0x20;
inline constexpr int kPermissionShift = 16;
inline constexpr std::uint32_t kPermissionMask = 07777u << kPermissionShift;

// A point in UTC time: seconds since 1970-01-01 and the nanoseconds within.
struct FileTime {
    std::int64_t seconds = 0;
    std::int32_t nanoseconds = 0;
};

// Identity of a directory or file on disk, to recognise one reached twice.
struct FileId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileId&) const = default;
};

// One entry of a directory enumeration. For a link, size, time and identity
// are those of what it points to.
struct DirEntry {
    std::string name; // bytes as the file system holds them
    std::uint32_t attributes = 0;
    std::uint64_t size = 0;
    FileTime modified;
    FileId id;
};

// Everything one directory holds that a walk takes, each kind sorted by name
// in byte order.
struct DirectoryContents {
    // Directories and links to directories, minus hidden ones ("." names).
    std::vector<DirEntry> directories;
    // Regular files and links to regular files whose names match the mask.
    // Broken links, FIFOs, sockets and devices are never listed.
    std::vector<DirEntry> files;
};

// Local calendar fields of a time.
struct LocalDateTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

// The file-system service. Paths are byte strings with "/" between names.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Reads one directory (path ending in "/"). With wantDirectories false the
    // directories are not gathered. fileMask is a wildcard mask ("*", "?",
    // without regard to letter case; "*.*" matches every name).
    // Returns false, with nothing gathered, when the directory cannot be read.
    virtual bool readDirectory(const std::string& directory, bool wantDirectories,
                               std::string_view fileMask, DirectoryContents& out) = 0;

    // The path exists and is a directory (a link to one counts); its identity.
    virtual std::optional<FileId> directoryId(const std::string& path) = 0;
    bool isDirectory(const std::string& path) { return directoryId(path).has_value(); }

    // Offset of local time from UTC in force now, in seconds (east positive).
    virtual std::int64_t zoneOffsetNow() = 0;
};

// Splits a UTC time into local calendar fields with one zone offset for every
// time; milliseconds are cut from the nanoseconds, not rounded.
LocalDateTime toLocalDateTime(FileTime time, std::int64_t zoneOffsetSeconds);

// Wildcard match of a name against a mask: "*" any run, "?" one byte, ASCII
// letters without regard to case; "*.*" matches every name.
bool matchesMask(std::string_view name, std::string_view mask);

} // namespace tessarin::platform
