#pragma once
// A file system that, once armed, swaps a directory (victim) for a link at the
// worst moment of a removal: just before the removal enters it, after its
// parent's entries were read, or just before any call on a path under it. The race of
// a user, or an attacker, replacing a directory while the directory pass runs.
#include <cstdio>
#include <string>
#include <unistd.h>

#include "platform/PosixFileSystem.h"

namespace testsupport {

class SwappingFileSystem : public tessarin::platform::PosixFileSystem {
public:
    std::string victim; // the directory replaced, e.g. ".../two/extra/sub"
    std::string aside;  // where it is moved to, outside both roots
    std::string linkTarget;
    bool armed = false;
    bool swapped = false;

    std::optional<tessarin::platform::FileId> directoryId(const std::string& path) override
    {
        touch(path);
        return PosixFileSystem::directoryId(path);
    }
    tessarin::platform::FsResult deleteFile(const tessarin::platform::TreePath& path) override
    {
        touch(path.full());
        return PosixFileSystem::deleteFile(path);
    }
    tessarin::platform::FsResult removeDirectory(const tessarin::platform::TreePath& path) override
    {
        touch(path.full());
        return PosixFileSystem::removeDirectory(path);
    }
    tessarin::platform::EntryKind entryKind(const tessarin::platform::TreePath& path) override
    {
        touch(path.full());
        return PosixFileSystem::entryKind(path);
    }

protected:
    // The removal has read the entries of a directory and is about to enter
    // one of its subdirectories: the victim goes now, if it is that one.
    void beforeEnteringDirectory(int parentFd, const std::string& name) override
    {
        (void)parentFd;
        if (victim.size() > name.size() && victim.compare(victim.size() - name.size(), name.size(), name) == 0 &&
            victim[victim.size() - name.size() - 1] == '/')
            swap();
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
