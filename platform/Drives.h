#pragma once
#include <string>
#include <vector>

namespace tessarin::platform {

// The drives service: the roots of the machine's fixed drives.
class Drives {
public:
    virtual ~Drives() = default;
    // Root texts ending in "/", in the order the system lists them.
    virtual std::vector<std::string> fixedDriveRoots() = 0;
};

} // namespace tessarin::platform
