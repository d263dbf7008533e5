#include "platform/Terminal.h"

#include <csignal>
#include <sys/ioctl.h>
#include <unistd.h>

namespace tessarin::platform {

bool standardErrorIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

int standardErrorColumns()
{
    winsize size{};
    return ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

void reportBrokenPipe()
{
    ::signal(SIGPIPE, SIG_IGN);
}

} // namespace tessarin::platform
