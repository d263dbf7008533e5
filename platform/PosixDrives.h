#pragma once
#include <string>
#include <vector>

#include "platform/Drives.h"
#include "platform/MountInfo.h"

namespace tessarin::platform {

// Fixed drives on Linux: the mounted file systems whose device is a block
// device that is not removable (its "removable" attribute in sysfs is 0), and
// not a loop or RAM disk. A file system mounted at several places (a bind
// mount) is listed once, at its first mount point.
class PosixDrives : public Drives {
public:
    explicit PosixDrives(std::string mountTable = "/proc/self/mountinfo", std::string sysRoot = "/sys");
    std::vector<std::string> fixedDriveRoots() override;

private:
    bool isFixedBlockDevice(const MountRecord& mount) const;

    std::string mountTable_;
    std::string sysRoot_;
};

} // namespace tessarin::platform
