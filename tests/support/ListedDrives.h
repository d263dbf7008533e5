#pragma once
// Fixed drives that are exactly the roots a test lists (none unless it adds some).
#include <string>
#include <vector>

#include "platform/Drives.h"

namespace testsupport {

class ListedDrives : public tessarin::platform::Drives {
public:
    std::vector<std::string> roots;
    std::vector<std::string> fixedDriveRoots() override { return roots; }
};

} // namespace testsupport
