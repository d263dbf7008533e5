#include "app/SettingsPath.h"

#include <climits>
#include <unistd.h>

namespace tessarin::app {

namespace {

std::string& chosenPath()
{
    static std::string path;
    return path;
}

} // namespace

std::string siblingPath(std::string_view path, std::string_view fileName)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return std::string(fileName);
    return std::string(path.substr(0, slash + 1)) + std::string(fileName);
}

std::string executablePath()
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buffer)
        return {};
    return std::string(buffer, static_cast<std::size_t>(n));
}

std::string settingsFilePath()
{
    if (!chosenPath().empty())
        return chosenPath();
    return siblingPath(executablePath(), "settings.ini");
}

void useSettingsFilePath(std::string path)
{
    chosenPath() = std::move(path);
}

} // namespace tessarin::app
