#pragma once
// A file system that, once armed, swaps a directory (victim) for a link at the
// worst moment of a removal: just after the entries of its parent (watched)
// were read, or just before any call on a path under the victim. The race of
// a user, or an attacker, replacing a directory while the directory pass runs.
#include <cstdio>
#include <string>
#include <unistd.h>

#include "platform/PosixFileSystem.h"

namespace testsupport {

class SwappingFileSystem : public tessarin::platform::PosixFileSystem {
public:
    std::string watched;   // the victim's parent, e.g. ".../two/extra"
    std::string victim;    // the directory replaced, e.g. ".../two/extra/sub"
    std::string aside;     // where it is moved to, outside both roots
    std::string linkTarget;
    bool armed = false;
    bool swapped = false;

    std::optional<tessarin::platform::FileId> directoryId(const std::string& path) override
    {
        touch(path);
        return PosixFileSystem::directoryId(path);
    }
    tessarin::platform::FsResult deleteFile(const std::string& path) override
    {
        touch(path);
        return PosixFileSystem::deleteFile(path);
    }
    tessarin::platform::FsResult removeDirectory(const std::string& path) override
    {
        touch(path);
        return PosixFileSystem::removeDirectory(path);
    }
    tessarin::platform::EntryKind entryKind(const std::string& path) override
    {
        touch(path);
        return PosixFileSystem::entryKind(path);
    }
    bool readEntries(const std::string& directory, std::vector<tessarin::platform::TreeEntry>& out) override
    {
        touch(directory);
        const bool read = PosixFileSystem::readEntries(directory, out);
        if (directory == watched + "/")
            swap();
        return read;
    }

private:
    void touch(const std::string& path)
    {
        if (path.compare(0, victim.size(), victim) == 0)
            swap();
    }
    void swap()
    {
        if (!armed || swapped)
            return;
        swapped = std::rename(victim.c_str(), aside.c_str()) == 0 && ::symlink(linkTarget.c_str(), victim.c_str()) == 0;
    }
};

} // namespace testsupport
