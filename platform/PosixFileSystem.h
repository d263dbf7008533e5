#pragma once
#include <mutex>
#include <sys/types.h>
#include <unordered_map>
#include <vector>

#include "platform/FileSystem.h"

namespace tessarin::platform {

// The file-system service on a POSIX system.
class PosixFileSystem : public FileSystem {
public:
    bool readDirectory(const std::string& directory, bool wantDirectories,
                       std::string_view fileMask, DirectoryContents& out) override;
    std::optional<FileId> directoryId(const std::string& path) override;
    bool isPseudoFileSystem(const std::string& directory) override;
    VolumeTraits volumeTraits(const std::string& directory) override; // PosixVolumes.cpp
    std::int64_t zoneOffsetNow() override;

    FsResult copyFile(const std::string& source, const std::string& target) override;
    FsResult deleteFile(const std::string& path) override;
    FsResult setAttributes(const std::string& path, std::uint32_t word) override;
    FsResult createDirectory(const std::string& path) override;
    FsResult removeDirectory(const std::string& path) override;
    EntryKind entryKind(const std::string& path) override;
    bool readEntries(const std::string& directory, std::vector<TreeEntry>& out) override;

private:
    bool mayClone(std::uint64_t device);
    void cloneRefused(std::uint64_t device);

    // Devices whose file system refused a clone: not asked again.
    std::mutex cloneMutex_;
    std::vector<std::uint64_t> noCloneDevices_;

    // Traits of the volumes already looked at, by device: both listing
    // threads ask, and a probe should not run twice.
    std::mutex volumeMutex_;
    std::unordered_map<dev_t, VolumeTraits> knownVolumes_;
};

// The system's text for an error number.
std::string systemErrorText(int errorNumber);

// The attribute word of a file system object with this mode and name.
std::uint32_t attributeWord(unsigned mode, std::string_view name);

} // namespace tessarin::platform
