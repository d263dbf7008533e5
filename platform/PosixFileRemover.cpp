#include "platform/FileRemover.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace tessarin::platform {

std::string PosixFileRemover::removeFile(const std::string& path)
{
    if (::unlink(path.c_str()) == 0)
        return {};
    return std::strerror(errno);
}

} // namespace tessarin::platform
