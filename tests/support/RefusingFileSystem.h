#pragma once
// A file system that refuses to read chosen directories, as one without
// permission would (the tests run as root, who may read everything).
#include <cerrno>
#include <set>
#include <string>

#include "platform/PosixFileSystem.h"

namespace testsupport {

class RefusingFileSystem : public tessarin::platform::PosixFileSystem {
public:
    std::set<std::string> refused; // directory paths ending in "/"
    tessarin::platform::Result<tessarin::platform::DirectoryContents>
    readDirectory(const std::string& directory, bool wantDirectories, std::string_view mask) override
    {
        if (refused.count(directory))
            return tessarin::platform::FsResult::failure(EACCES);
        return PosixFileSystem::readDirectory(directory, wantDirectories, mask);
    }
};

} // namespace testsupport
