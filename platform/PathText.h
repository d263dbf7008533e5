#pragma once
// Paths as text, without looking at the disk.
#include <string>

namespace tessarin::platform {

// The directory that holds path, lexically: trailing "/" ignored, "." for a
// bare name, "/" for a name at the root.
inline std::string parentDirectory(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    path.resize(slash);
    return path;
}

} // namespace tessarin::platform
