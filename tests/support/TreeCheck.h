#pragma once
// Looks at trees after a command: names matched without regard to case,
// every regular file under a directory.
#include <algorithm>
#include <cctype>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace testsupport {

inline std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// The entries of dir whose names equal name without regard to ASCII case.
inline std::vector<std::string> namesLike(const std::string& dir, const std::string& name)
{
    std::vector<std::string> found;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (const dirent* e = ::readdir(d))
            if (lowered(e->d_name) == lowered(name))
                found.push_back(e->d_name);
        ::closedir(d);
    }
    return found;
}

// Every path under root (relative, links not followed), directories too.
inline void collectPaths(const std::string& root, const std::string& rel, std::vector<std::string>& out)
{
    DIR* d = ::opendir((root + "/" + rel).c_str());
    if (!d)
        return;
    while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string path = rel.empty() ? name : rel + "/" + name;
        out.push_back(path);
        struct stat st;
        if (::lstat((root + "/" + path).c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            collectPaths(root, path, out);
    }
    ::closedir(d);
}

inline std::vector<std::string> pathsUnder(const std::string& root)
{
    std::vector<std::string> out;
    collectPaths(root, "", out);
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace testsupport
