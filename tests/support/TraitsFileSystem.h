#pragma once
// A file system that reports chosen volume traits for directories under
// chosen roots, so that an ordinary directory stands for a FAT or exFAT one.
#include <map>
#include <string>

#include "platform/PosixFileSystem.h"

namespace testsupport {

class TraitsFileSystem : public tessarin::platform::PosixFileSystem {
public:
    std::map<std::string, tessarin::platform::VolumeTraits> traitsUnder; // root prefix -> traits
    tessarin::platform::VolumeTraits volumeTraits(const std::string& directory) override
    {
        for (const auto& [prefix, traits] : traitsUnder)
            if (directory.rfind(prefix, 0) == 0)
                return traits;
        return PosixFileSystem::volumeTraits(directory);
    }
};

} // namespace testsupport
