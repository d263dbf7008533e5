#include <cstdio>

#include "cli/Commands.h"

namespace tessarin::cli {

int usageError(const char* usage)
{
    std::fputs(usage, stderr);
    return 2;
}

} // namespace tessarin::cli
