#include "dialogs/Help.h"

#include "platform/ExecutablePath.h"
#include "platform/Shell.h"

namespace tessarin::gui {

std::string helpFilePath()
{
    return platform::besideExecutable(platform::executablePath(), kHelpFileName);
}

void openHelp(platform::Shell& shell)
{
    shell.openFile(helpFilePath());
}

} // namespace tessarin::gui
