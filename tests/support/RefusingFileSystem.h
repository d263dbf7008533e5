#pragma once
// A file system that refuses to read chosen directories, as one without
// permission would (the tests run as root, who may read everything).
#include <set>
#include <string>

#include "platform/PosixFileSystem.h"

namespace testsupport {

class RefusingFileSystem : public tessarin::platform::PosixFileSystem {
public:
    std::set<std::string> refused; // directory paths ending in "/"
    bool readDirectory(const std::string& directory, bool wantDirectories, std::string_view mask,
                       tessarin::platform::DirectoryContents& out) override
    {
        if (refused.count(directory)) {
            out = {};
            return false;
        }
        return PosixFileSystem::readDirectory(directory, wantDirectories, mask, out);
    }
};

} // namespace testsupport
