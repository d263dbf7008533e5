#pragma once
// A tree deeper than the system's path limit, built from directory
// descriptors (no path of it can be given to open(2) whole).
#include <dirent.h>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "support/TempDir.h"

namespace testsupport {

// Removes everything below the directory open at dirFd, on descriptors.
inline void removeBelow(int dirFd)
{
    const int copy = ::dup(dirFd);
    DIR* dir = copy >= 0 ? ::fdopendir(copy) : nullptr;
    if (!dir)
        return;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        const int sub = ::openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (sub >= 0) {
            removeBelow(sub);
            ::close(sub);
            ::unlinkat(dirFd, name.c_str(), AT_REMOVEDIR);
        } else {
            ::unlinkat(dirFd, name.c_str(), 0);
        }
    }
    ::closedir(dir);
}

struct DeepTree {
    std::string relativeDirectory; // levels of names, below base
    std::string relativeFile;      // relativeDirectory + "/file.txt", holding content

    // Builds levels directories under base/top, each name nameLength bytes.
    DeepTree(const std::string& base, int levels, std::size_t nameLength, const std::string& top = "deep",
             const std::string& content = "deep")
    {
        makeDir(base + "/" + top);
        int at = ::open((base + "/" + top).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        relativeDirectory = top;
        for (int level = 0; level < levels; ++level) {
            std::string name = std::to_string(level);
            name.resize(nameLength, 'n');
            ::mkdirat(at, name.c_str(), 0755);
            const int next = ::openat(at, name.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
            ::close(at);
            if (next < 0)
                throw std::runtime_error("cannot build the deep tree");
            at = next;
            relativeDirectory += "/" + name;
        }
        const int file = ::openat(at, "file.txt", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (file < 0 || ::write(file, content.data(), content.size()) != static_cast<ssize_t>(content.size()))
            throw std::runtime_error("cannot write the deep file");
        ::close(file);
        ::close(at);
        relativeFile = relativeDirectory + "/file.txt";
        top_ = base + "/" + top;
    }
    // Removed here: a temporary directory's own clean-up stops at the path limit.
    ~DeepTree()
    {
        const int at = ::open(top_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (at >= 0) {
            removeBelow(at);
            ::close(at);
        }
        ::rmdir(top_.c_str());
    }
    DeepTree(const DeepTree&) = delete;
    DeepTree& operator=(const DeepTree&) = delete;

private:
    std::string top_;
};

} // namespace testsupport
