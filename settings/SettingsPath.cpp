#include "settings/SettingsPath.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/ExecutablePath.h"

namespace tessarin::settings {

namespace {

std::string& chosenPath()
{
    static std::string path;
    return path;
}

} // namespace

std::string settingsFileFor(const std::string& executable, bool besideWritable, const char* configHome,
                            const char* home)
{
    if (besideWritable)
        return platform::besideExecutable(executable, "settings.ini");
    // The base directory specification: a relative XDG_CONFIG_HOME is ignored.
    std::string base;
    if (configHome && configHome[0] == '/')
        base = configHome;
    else if (home && home[0] == '/')
        base = std::string(home) + "/.config";
    else
        return platform::besideExecutable(executable, "settings.ini"); // no home: nowhere better to go
    return base + "/tessarin/settings.ini";
}

std::string settingsFilePath()
{
    if (!chosenPath().empty())
        return chosenPath();
    const std::string executable = platform::executablePath();
    const std::string folder = platform::besideExecutable(executable, "");
    const bool besideWritable = ::access(folder.empty() ? "." : folder.c_str(), W_OK) == 0;
    const std::string path =
        settingsFileFor(executable, besideWritable, std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
    if (!besideWritable) {
        // Creates the folders of a per-user file; one that exists already is fine,
        // and a failure shows later as the save's own error.
        for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
            ::mkdir(path.substr(0, slash).c_str(), 0700);
    }
    return path;
}

void useSettingsFilePath(std::string path)
{
    chosenPath() = std::move(path);
}

} // namespace tessarin::settings
