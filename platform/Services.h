#pragma once
#include "platform/PosixDrives.h"
#include "platform/PosixFileReader.h"
#include "platform/PosixFileSystem.h"

namespace tessarin::platform {

// The platform's services as the programs use them: built once by each
// program's main and handed to the windows and the commands, which build
// none of their own (tests hand in others).
struct Services {
    PosixFileSystem fileSystem;
    PosixFileReader reader;
    PosixDrives drives;
};

} // namespace tessarin::platform
