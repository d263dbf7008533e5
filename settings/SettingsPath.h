#pragma once
#include <string>
#include <string_view>

namespace tessarin::settings {

// settings.ini beside the executable, unless useSettingsFilePath chose another.
// When the executable's folder does not accept new files (a program installed
// for all users), each user keeps a settings.ini of their own instead, under
// $XDG_CONFIG_HOME/tessarin (or ~/.config/tessarin), created when needed.
std::string settingsFilePath();

// The choice settingsFilePath makes, without looking at the disk.
// configHome and home are the values of XDG_CONFIG_HOME and HOME (null: unset).
std::string settingsFileFor(const std::string& executable, bool besideWritable, const char* configHome,
                            const char* home);

// Points every later settings operation at another file (tests use a
// temporary one); an empty path returns to the file beside the executable.
void useSettingsFilePath(std::string path);

} // namespace tessarin::settings
