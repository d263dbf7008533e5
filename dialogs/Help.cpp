#include "dialogs/Help.h"

#include "platform/ExecutablePath.h"
#include "platform/Shell.h"

namespace tessarin::dialogs {

std::string helpFilePath()
{
    return platform::programFile(platform::executablePath(), kHelpFileName);
}

void openHelp(platform::Shell& shell)
{
    shell.openFile(helpFilePath());
}

} // namespace tessarin::dialogs
