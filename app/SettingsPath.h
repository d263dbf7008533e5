#pragma once
#include <string>
#include <string_view>

namespace tessarin::app {

// The path with its last name replaced by fileName.
std::string siblingPath(std::string_view path, std::string_view fileName);

// The running executable's full path, whatever the working directory.
std::string executablePath();

// settings.ini beside the executable, unless useSettingsFilePath chose another.
std::string settingsFilePath();

// Points every later settings operation at another file (tests use a
// temporary one); an empty path returns to the file beside the executable.
void useSettingsFilePath(std::string path);

} // namespace tessarin::app
