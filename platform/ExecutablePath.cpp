#include "platform/ExecutablePath.h"

#include <climits>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tessarin::platform {

std::string executablePath()
{
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            return {};
        if (static_cast<std::size_t>(length) < buffer.size())
            return std::string(buffer.data(), static_cast<std::size_t>(length));
        buffer.resize(buffer.size() * 2); // the path may have been cut: try again larger
    }
}

std::string besideExecutable(std::string_view executable, std::string_view fileName)
{
    const std::size_t slash = executable.rfind('/');
    std::string path(slash == std::string_view::npos ? std::string_view() : executable.substr(0, slash + 1));
    path += fileName;
    return path;
}

std::string installedDataDir(std::string_view executable)
{
    const std::size_t slash = executable.rfind('/');
    if (slash == std::string_view::npos)
        return {};
    const std::string_view folder = executable.substr(0, slash);
    // Only PREFIX/bin counts: a build folder has no share/tessarin above it.
    if (!folder.ends_with("/bin"))
        return {};
    std::string data(folder.substr(0, folder.size() - 3));
    data += "share/tessarin/";
    struct stat st {};
    if (::stat(data.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return {};
    return data;
}

std::string programFile(std::string_view executable, std::string_view fileName)
{
    std::string data = installedDataDir(executable);
    if (data.empty())
        return besideExecutable(executable, fileName);
    data += fileName;
    return data;
}

std::string homeDirectory()
{
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
        found->pw_dir[0] == '/')
        return found->pw_dir;
    return {};
}

} // namespace tessarin::platform
