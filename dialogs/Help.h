#pragma once
#include <string>

namespace tessarin::platform {
class Shell;
}

namespace tessarin::dialogs {

// The help file's name; it stands beside the executable, or in
// PREFIX/share/tessarin for an installed program.
inline constexpr const char* kHelpFileName = "软件帮助.html";

// The help file's full path, found from the executable's path
// (platform::programFile), so the help opens from any working directory.
std::string helpFilePath();

// The help command: asks the shell to open the help file. A missing file or
// a desktop without a viewer is not reported.
void openHelp(platform::Shell& shell);

} // namespace tessarin::dialogs
