#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/Drives.h"

namespace tessarin::platform {

// One line of the mount table: the mounted device and where it is mounted.
struct MountEntry {
    std::string device;
    std::string mountPoint;
};

// The lines of a mount table in the form of /proc/self/mounts, with the
// octal escapes of its fields ("\040" for a space) decoded.
std::vector<MountEntry> parseMountTable(std::string_view text);

// Fixed drives on Linux: the mounted file systems whose device is a block
// device that is not removable (its "removable" attribute in sysfs is 0), and
// not a loop or RAM disk. A file system mounted at several places (a bind
// mount) is listed once, at its first mount point.
class PosixDrives : public Drives {
public:
    explicit PosixDrives(std::string mountTable = "/proc/self/mounts", std::string sysRoot = "/sys");
    std::vector<std::string> fixedDriveRoots() override;

private:
    bool isFixedBlockDevice(const MountEntry& mount) const;

    std::string mountTable_;
    std::string sysRoot_;
};

} // namespace tessarin::platform
