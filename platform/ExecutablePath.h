#pragma once
#include <string>
#include <string_view>

namespace tessarin::platform {

// Full path of the running executable (from /proc/self/exe, so links are
// resolved and the working directory plays no part); empty if unreadable.
std::string executablePath();

// The path of a file named fileName in the directory of executable: the
// executable's full path with its file name replaced.
std::string besideExecutable(std::string_view executable, std::string_view fileName);

} // namespace tessarin::platform
