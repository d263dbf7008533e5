#pragma once
#include <compare>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "platform/TreePath.h"

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
    auto operator<=>(const FileId&) const = default;
};

// One entry of a directory enumeration. For a link, size, time and identity
// are those of what it points to.
struct DirEntry {
    std::string name; // bytes as the file system holds them
    std::uint32_t attributes = 0;
    std::uint64_t size = 0;
    FileTime modified;
    FileId id;
    // A link that another user than the effective one owns: a walk follows
    // it only where it stays inside the walk's root (leadsOutThroughOthersLink).
    bool othersLink = false;
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

// What a path names, the path itself not followed when it is a link.
enum class EntryKind { Missing, Directory, Link, Other };

// What stands at a place, the place itself not followed when it is a link.
// Size and time are those of the file it is or leads to, as the listing
// shows them.
struct EntryState {
    EntryKind kind = EntryKind::Missing;
    FileId id;                     // of the entry itself
    bool regularFile = false;      // a regular file, or a link to one
    bool leadsToDirectory = false; // a link to a directory
    std::uint64_t size = 0;
    std::int64_t modifiedSeconds = 0; // UTC, whole seconds
};

// What a copy expects to find at its target just before it puts its file
// there. Any: whatever stands there is replaced. Nothing: no entry of that
// name, as the volume matches names (a file there, perhaps under another
// letter case, stays and the copy fails with TargetExists). Listed: the file
// the compare listed, of this size and time; one changed since stays, and
// the copy fails with TargetChanged.
struct TargetExpectation {
    enum class Kind { Any, Nothing, Listed } kind = Kind::Any;
    std::uint64_t size = 0;
    std::int64_t modifiedSeconds = 0; // UTC, whole seconds
};

// Outcome of one change on disk: success, or the reason for failing.
struct FsResult {
    // Why a change was refused, where the caller decides by it.
    enum class Refusal {
        None,
        NameRefused,   // the volume cannot hold the name (platform/NameRules.h): nothing was tried
        OutsideRoot,   // the path leads out of its root through a link: nothing was changed
        TargetExists,  // a copy found an entry where it expected none (found names it)
        TargetChanged, // a copy found the target changed since the compare listed it
    };
    // Success.
    FsResult() = default;
    // A failure, for this reason.
    FsResult(std::string reason) : error(std::move(reason)), failed_(true) {}
    FsResult(Refusal why, std::string reason) : error(std::move(reason)), refusal(why), failed_(true) {}
    // A system call's failure: its errno and the system's text for it.
    static FsResult failure(int errorNumber);
    std::string error;   // the reason as the user reads it
    int errorNumber = 0; // the errno behind it, where a system call failed
    Refusal refusal = Refusal::None;
    FileId written; // a copy: the file it wrote (device, inode)
    FileId found;   // TargetExists: the entry that stands there
    // Decided by how the result was made, never by its text: a failure
    // whose reason is empty is still a failure.
    bool ok() const { return !failed_; }

private:
    bool failed_ = false;
};

// A value read from the file system, or the failure that kept it from being
// read, with its errno and the system's text. Callers decide by the number,
// never by the text.
template <class T> class Result {
public:
    Result(T value) : state_(std::move(value)) {}
    // failure must be one (not ok()).
    Result(FsResult failure) : state_(std::move(failure)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& operator*() { return std::get<0>(state_); }
    const T& operator*() const { return std::get<0>(state_); }
    T* operator->() { return &std::get<0>(state_); }
    const T* operator->() const { return &std::get<0>(state_); }
    // The value, or fallback where there is none.
    T valueOr(T fallback) && { return ok() ? std::move(std::get<0>(state_)) : std::move(fallback); }
    // Only where !ok().
    const FsResult& failure() const { return std::get<1>(state_); }

private:
    std::variant<T, FsResult> state_;
};

// The temporary files of a replacement (platform/TemporaryFile.h: a copy, a
// settings save) are named kTemporaryMarker and then kTemporaryRandomLength
// characters of kTemporaryAlphabet, such as
// ".tessarin-tmp.0k7qz3m1x9c2v8b4n6h5j0ra": a name no user gives a file by
// chance. Lower case only, so that a volume that ignores case holds as many
// names. They are never listed, compared or copied; a sync removes those a
// killed run left (FileSystem::removeStaleTemporaries). Any other name,
// ".tessarin-backup" as well, is an ordinary file.
inline constexpr std::string_view kTemporaryMarker = ".tessarin-tmp.";
inline constexpr std::size_t kTemporaryRandomLength = 24;
inline constexpr std::string_view kTemporaryAlphabet = "0123456789abcdefghijklmnopqrstuvwxyz";
inline bool isTemporaryName(std::string_view name)
{
    if (name.size() != kTemporaryMarker.size() + kTemporaryRandomLength ||
        name.substr(0, kTemporaryMarker.size()) != kTemporaryMarker)
        return false;
    for (const char c : name.substr(kTemporaryMarker.size()))
        if (kTemporaryAlphabet.find(c) == std::string_view::npos)
            return false;
    return true;
}

// What a volume keeps of a file, as far as a comparison must know it.
struct VolumeTraits {
    // All: the permission bits; ReadOnlyOnly: only the read-only state (kept
    // through the write bits); None: not even that (every file looks alike).
    enum class Permissions { All, ReadOnlyOnly, None } permissions = Permissions::All;
    // Names that differ only in letter case name one file.
    bool caseInsensitive = false;
    // Modification times are kept to this many seconds (FAT: 2).
    int timeResolutionSeconds = 1;
    // Whose rules the volume keeps for names and times: FAT, exFAT and NTFS
    // forbid some characters in names; FAT and exFAT hold only the years
    // 1980 to 2107, FAT in local time.
    enum class Family { Posix, Fat, Exfat, Ntfs } family = Family::Posix;
    // Times travel as 32-bit seconds without sign (SFTP, which sshfs speaks):
    // only kEarliestSftpTime to kLatestSftpTime are held, any other time is
    // stored as another.
    bool sftpTimes = false;
    bool operator==(const VolumeTraits&) const = default;
};

// The times FAT and exFAT hold, in whole local seconds: 1980-01-01 00:00:00
// to 2107-12-31 23:59:58. Their FUSE drivers store a time outside as another
// year (fusefat) or as 1980 (exfat-fuse, only below), so a copy clamps.
inline constexpr std::int64_t kEarliestFatTime = 315532800;
inline constexpr std::int64_t kLatestFatTime = 4354819198;

// The times sshfs holds, in seconds since 1970 UTC: 1970-01-01 00:00:01 to
// 2106-02-07 06:28:15 (SFTP's 32 bits; sshfs takes 0 for "now").
inline constexpr std::int64_t kEarliestSftpTime = 1;
inline constexpr std::int64_t kLatestSftpTime = 4294967295;

// The permission bits (mode & 07777) and owner a directory is created with.
struct Ownership {
    std::uint32_t mode = 0;
    std::uint32_t user = 0;
    std::uint32_t group = 0;
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
    // Fails, with the cause, when the directory cannot be read, or not to its
    // end (an entry that cannot be looked at counts): a part would pass for
    // the whole. Called from two threads at once (the compare lists both
    // sides together).
    virtual Result<DirectoryContents> readDirectory(const std::string& directory, bool wantDirectories,
                                                    std::string_view fileMask) = 0;

    // The path exists and is a directory (a link to one counts); its identity.
    // Called from two threads at once, as readDirectory is.
    virtual std::optional<FileId> directoryId(const std::string& path) = 0;
    bool isDirectory(const std::string& path) { return directoryId(path).has_value(); }

    // Whether the directory lies on a pseudo file system (proc, sysfs,
    // devtmpfs, cgroup and the like): walks never enter one, since its files
    // are endless or change as they are read. Safe to call from two threads.
    virtual bool isPseudoFileSystem(const std::string& directory) = 0;

    // What the volume holding the directory (path ending in "/") keeps.
    // Safe to call from two threads; cheap after the first call per volume.
    virtual VolumeTraits volumeTraits(const std::string& directory) = 0;

    // Whether the path, resolved from its root, leaves the root through a
    // link that another user than the effective one owns: such a link is not
    // followed, so that nobody's link discloses a file outside the tree to a
    // program run by another user. Safe to call from two threads.
    virtual bool leadsOutThroughOthersLink(const TreePath& path) = 0;

    // Offset of local time from UTC in force now, in seconds (east positive).
    virtual std::int64_t zoneOffsetNow() = 0;

    // Copies a file's content, permission bits and modification time over the
    // target. The source is read beneath its root: a link of another user's
    // that leads out of it is not read (leadsOutThroughOthersLink). From a volume that keeps no permission bits the copy gets 0666
    // less the umask (no write bits for a read-only source); onto FAT or
    // exFAT its time is clamped into the years they hold. Fail-safe: the
    // content goes to a temporary file in the target's directory that is
    // renamed over the target only when complete. On any failure the
    // temporary file is removed and the target is as it was. On success the
    // result names the file written. A name the volume holding the target's
    // directory cannot hold is refused (NameRefused) before anything is
    // written. Just before the rename the target is checked against
    // expected; a directory, or a link to one, is never replaced.
    // Called from several threads at once (copies of different files).
    virtual FsResult copyFile(const TreePath& source, const TreePath& target, const TargetExpectation& expected) = 0;
    FsResult copyFile(const TreePath& source, const TreePath& target) { return copyFile(source, target, {}); }
    // A source named by its whole path lies beneath "/", out of which nothing leads.
    FsResult copyFile(const std::string& source, const TreePath& target, const TargetExpectation& expected = {})
    {
        return copyFile(TreePath(std::string_view(), source), target, expected);
    }

    // Removes one file; a link is removed itself, never what it points to.
    virtual FsResult deleteFile(const TreePath& path) = 0;

    // Applies an attribute word: its permission bits (16 to 27) when any is
    // set, otherwise only its read-only state (clears or restores write
    // permission). Where the volume's traits keep no permission bits, only
    // the read-only state is applied; any refusal is a failure.
    virtual FsResult setAttributes(const TreePath& path, std::uint32_t word) = 0;

    // The permission bits and owner of a directory (a final link followed).
    virtual std::optional<Ownership> ownershipOf(const std::string& path) = 0;

    // Creates one directory; relative "" creates the root itself. A name
    // the volume cannot hold is refused (NameRefused), as copyFile refuses
    // it. Without
    // like it gets 0777 less the umask; with like it is made 0700, then
    // given like's owner (running as root, where the volume holds owners),
    // then like's permission bits, so it is never open wider than like.
    // The setuid and setgid bits go only with like's owner.
    virtual FsResult createDirectory(const TreePath& path, const std::optional<Ownership>& like) = 0;
    // Removes one empty directory.
    virtual FsResult removeDirectory(const TreePath& path) = 0;

    // What the path names, without following a final link. A path that cannot
    // be looked at (it leads out of the root, or a search is refused) is Other.
    virtual EntryKind entryKind(const TreePath& path) = 0;
    // The identity of what the path names, without following a final link.
    virtual std::optional<FileId> entryId(const TreePath& path) = 0;
    // What stands at the path; Other, with nothing more, where it cannot be
    // looked at (it leads out of the root, or a search is refused).
    virtual EntryState entryState(const TreePath& path) = 0;

    // Empties one directory tree: each subdirectory's tree first, then the
    // subdirectory itself; then the directory's own files and links, which
    // are removed, never followed. Hidden subdirectories are neither entered
    // nor removed; a file that cannot be deleted is left. A subdirectory that
    // cannot be removed ends it: the error, with that subdirectory's whole
    // path in failedPath.
    virtual FsResult emptyDirectoryTree(const TreePath& directory, std::string& failedPath) = 0;

    // Removes the temporary files that a killed run left in one directory:
    // regular files of the temporary name whose status last changed (ctime:
    // a copy sets the source's modification time on its temporary) before
    // commandStart, when the removing command started (changeClockNow). A
    // temporary of another run that has been written to since stays.
    // Where the kernel does not stamp the times (FUSE, FAT, exFAT, NTFS, a
    // network volume) a file must be older by 2 seconds more: FAT keeps
    // times to 2 seconds, exFAT drivers to whole seconds, and the others
    // read clocks of their own.
    // Before the name took its marker, a temporary was ".tessarin-" and six
    // letters or digits: a regular file of that name goes only when it is
    // older so and empty, since any other may be a user's.
    virtual void removeStaleTemporaries(const TreePath& directory, FileTime commandStart) = 0;

    // Flushes to disk every file system that the changes since the last
    // flush wrote to.
    virtual FsResult flushWrites() = 0;
};

// The time now on the clock the kernel stamps file changes with (the coarse
// real-time clock): a file changed from now on has no earlier ctime.
FileTime changeClockNow();

// Splits a UTC time into local calendar fields with one zone offset for every
// time; milliseconds are cut from the nanoseconds, not rounded.
LocalDateTime toLocalDateTime(FileTime time, std::int64_t zoneOffsetSeconds);

// Wildcard match of a name against a mask: "*" any run, "?" one byte, ASCII
// letters without regard to case; "*.*" matches every name.
bool matchesMask(std::string_view name, std::string_view mask);

} // namespace tessarin::platform
