#include "settings/SettingsPath.h"

#include <cstdlib>

#include "platform/ExecutablePath.h"
#include "platform/FileIo.h"

namespace tessarin::settings {

namespace {

std::string& chosenPath()
{
    static std::string path;
    return path;
}

} // namespace

std::string settingsFileFor(const std::string& executable, bool installed, bool besideWritable, const char* configHome,
                            const char* home)
{
    if (besideWritable && !installed)
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
    // An installed program never writes beside itself, even run by root.
    const bool installed = !platform::installedDataDir(executable).empty();
    const bool besideWritable = platform::mayWriteIn(folder.empty() ? "." : folder);
    const std::string home = platform::homeDirectory();
    const std::string path = settingsFileFor(executable, installed, besideWritable, std::getenv("XDG_CONFIG_HOME"),
                                             home.empty() ? nullptr : home.c_str());
    if (installed || !besideWritable) {
        // Creates the folders of a per-user file; one that exists already is fine,
        // and a failure shows later as the save's own error.
        platform::makeDirectoriesAbove(path, 0700);
    }
    return path;
}

void useSettingsFilePath(std::string path)
{
    chosenPath() = std::move(path);
}

} // namespace tessarin::settings
