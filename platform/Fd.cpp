#include "platform/Fd.h"

#include <cerrno>
#include <unistd.h>

namespace tessarin::platform {

void Fd::reset(int fd)
{
    if (fd_ >= 0 && fd_ != fd) {
        const int error = errno;
        ::close(fd_);
        errno = error;
    }
    fd_ = fd;
}

int Fd::close()
{
    const int status = fd_ >= 0 ? ::close(fd_) : 0;
    fd_ = -1;
    return status;
}

} // namespace tessarin::platform
