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

// The folder of an installed program's own files, "PREFIX/share/tessarin/",
// when executable is PREFIX/bin/NAME and that folder exists; empty otherwise
// (a program run from its build folder keeps its files beside it).
std::string installedDataDir(std::string_view executable);

// Where the program's file fileName is: in installedDataDir when the program
// is installed, else beside the executable.
std::string programFile(std::string_view executable, std::string_view fileName);

// The user's home: $HOME when it is absolute, else the password database's
// entry; empty when neither gives one.
std::string homeDirectory();

} // namespace tessarin::platform
