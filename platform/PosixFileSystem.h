#pragma once
#include "platform/FileSystem.h"

namespace tessarin::platform {

// The file-system service on a POSIX system.
class PosixFileSystem : public FileSystem {
public:
    bool readDirectory(const std::string& directory, bool wantDirectories,
                       std::string_view fileMask, DirectoryContents& out) override;
    std::optional<FileId> directoryId(const std::string& path) override;
    std::int64_t zoneOffsetNow() override;
};

// The attribute word of a file system object with this mode and name.
std::uint32_t attributeWord(unsigned mode, std::string_view name);

} // namespace tessarin::platform
