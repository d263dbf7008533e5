#pragma once
#include <map>
#include <mutex>
#include <optional>
#include <sys/types.h>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/PathOpen.h"

namespace tessarin::platform {

// The process's umask, read from /proc/self/status without changing it;
// where /proc is missing, read once by setting it back (before any thread).
mode_t processUmask();

// The file-system service on a POSIX system.
class PosixFileSystem : public FileSystem {
public:
    Result<DirectoryContents> readDirectory(const std::string& directory, bool wantDirectories,
                                            std::string_view fileMask) override;
    std::optional<FileId> directoryId(const std::string& path) override;
    bool isPseudoFileSystem(const std::string& directory) override;
    bool leadsOutThroughOthersLink(const TreePath& path) override;
    VolumeTraits volumeTraits(const std::string& directory) override; // PosixVolumes.cpp
    std::int64_t zoneOffsetNow() override;

    using FileSystem::copyFile;
    FsResult copyFile(const TreePath& source, const TreePath& target, const TargetExpectation& expected) override;
    FsResult deleteFile(const TreePath& path) override;
    FsResult setAttributes(const TreePath& path, std::uint32_t word) override;
    std::optional<Ownership> ownershipOf(const std::string& path) override;
    FsResult createDirectory(const TreePath& path, const std::optional<Ownership>& like) override;
    FsResult removeDirectory(const TreePath& path) override;
    EntryKind entryKind(const TreePath& path) override;
    std::optional<FileId> entryId(const TreePath& path) override;
    EntryState entryState(const TreePath& path) override;
    FsResult emptyDirectoryTree(const TreePath& directory, std::string& failedPath) override;
    void removeStaleTemporaries(const TreePath& directory, FileTime commandStart) override;
    FsResult flushWrites() override;

protected:
    // Called by emptyDirectoryTree just before it opens the subdirectory name
    // of the directory open at parentFd: a test may swap it for a link here.
    virtual void beforeEnteringDirectory(int parentFd, const std::string& name)
    {
        (void)parentFd;
        (void)name;
    }

    // Notes that a change was made in the directory open at dirFd, so that
    // flushWrites flushes its file system.
    void noteWritten(int dirFd);
    // The same where the directory's device is known already.
    void noteWritten(std::uint64_t device, int dirFd);

    // Whether the volume of device (a directory on it open at dirFd) may set
    // a file's time itself on close or rename: FUSE drivers may.
    bool mayRestampTimes(dev_t device, int dirFd);

    // A copy's source device and target device.
    using DevicePair = std::pair<std::uint64_t, std::uint64_t>;
    bool mayClone(DevicePair devices);
    void cloneRefused(DevicePair devices);

    // Pairs of devices between which a clone was refused: not asked again.
    std::mutex cloneMutex_;
    std::vector<DevicePair> noClonePairs_;

    // One open directory on each file system written since the last flush.
    std::mutex writtenMutex_;
    std::map<std::uint64_t, Fd> writtenDevices_;

    // Makes the directory name in the one open at parentFd (createDirectory).
    FsResult makeDirectory(int parentFd, const std::string& name, const std::optional<Ownership>& like);

    FsResult emptyOpenDirectory(int dirFd, const std::string& path, std::string& failedPath);

    // A copy's or a new directory's name where the volume holding the
    // directory open at dirFd (an O_PATH descriptor serves) cannot hold it:
    // the NameRefused failure. A name every family holds costs no system call.
    std::optional<FsResult> refuseName(int dirFd, const std::string& name); // PosixVolumes.cpp

    // Traits of the volumes already looked at, by device: both listing
    // threads ask, and a probe should not run twice.
    std::mutex volumeMutex_;
    std::unordered_map<dev_t, VolumeTraits> knownVolumes_;
    // The families of volumes written to and not listed (no case probe made).
    std::unordered_map<dev_t, VolumeTraits::Family> knownFamilies_;

    // What the volume of device (a file on it open at fd) keeps of
    // permissions and times, for a copy or a change: its letter case is not
    // looked at. Cached by device until the next flushWrites, so a copy
    // costs no call once its volumes are known. PosixVolumes.cpp.
    VolumeTraits deviceTraits(dev_t device, int fd);
    std::unordered_map<dev_t, VolumeTraits> deviceTraits_; // under volumeMutex_

    // The process's umask, read once when the service is made.
    const mode_t umask_ = processUmask();

    // Devices already asked whether they are FUSE volumes, and the answers.
    std::mutex restampMutex_;
    std::unordered_map<dev_t, bool> restampingDevices_;
};

// The system's text for an error number; thread-safe.
std::string systemErrorText(int errorNumber);

// The reason for a failed change whose path was resolved beneath a root:
// kOutsideRoot there means the path leads out through a link.
std::string changeErrorText(int errorNumber);
// The failure of such a change, as a result: OutsideRoot for kOutsideRoot.
FsResult changeFailure(int errorNumber);

// The root of a tree place, open as a path (the root itself may be a link:
// the user chose it). An invalid Fd with errno set on failure.
Fd openRoot(const TreePath& path);

// The attribute word of a file system object with this mode and name.
std::uint32_t attributeWord(unsigned mode, std::string_view name);

} // namespace tessarin::platform
