#pragma once
#include <string>
#include <string_view>

namespace tessarin::settings {

// settings.ini beside the executable of a program run from its build folder,
// unless useSettingsFilePath chose another. An installed program (one with a
// PREFIX/share/tessarin folder, platform::installedDataDir), or one whose
// folder does not accept new files, keeps a settings.ini for each user
// instead, under $XDG_CONFIG_HOME/tessarin (or ~/.config/tessarin), created
// when needed.
std::string settingsFilePath();

// The choice settingsFilePath makes, without looking at the disk.
// configHome and home are the values of XDG_CONFIG_HOME and HOME (null: unset).
std::string settingsFileFor(const std::string& executable, bool installed, bool besideWritable, const char* configHome,
                            const char* home);

// Points every later settings operation at another file (tests use a
// temporary one); an empty path returns to the file beside the executable.
void useSettingsFilePath(std::string path);

} // namespace tessarin::settings
