#include "platform/PosixDrives.h"

#include <climits>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <utility>

#include "platform/Path.h"

namespace tessarin::platform {

namespace {

std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

} // namespace

PosixDrives::PosixDrives(std::string mountTable, std::string sysRoot)
    : mountTable_(std::move(mountTable)), sysRoot_(std::move(sysRoot))
{}

bool PosixDrives::isFixedBlockDevice(const MountRecord& mount) const
{
    if (!startsWith(mount.source, "/"))
        return false; // proc, tmpfs, a network share...
    // The kernel's name of the device: /dev/disk/by-uuid/... and
    // /dev/mapper/... are links to the node that carries it.
    std::string name(Path(mount.source).fileName());
    if (char* real = ::realpath(mount.source.c_str(), nullptr)) {
        name = Path(real).fileName();
        std::free(real);
    }
    if (startsWith(name, "loop") || startsWith(name, "ram") || startsWith(name, "zram"))
        return false; // disk images and RAM disks are not fixed drives
    std::string blockDir = sysRoot_ + "/class/block/" + name;
    struct stat st;
    if (::stat(blockDir.c_str(), &st) != 0)
        // A device named otherwise in the table ("/dev/root"): go by the
        // device number of the mounted file system.
        blockDir = sysRoot_ + "/dev/block/" + std::to_string(mount.major) + ":" + std::to_string(mount.minor);
    // A partition has no attribute of its own: its disk, one level up, has.
    std::string removable = readText(blockDir + "/removable");
    if (removable.empty())
        removable = readText(blockDir + "/../removable");
    return !removable.empty() && removable[0] == '0';
}

std::vector<std::string> PosixDrives::fixedDriveRoots()
{
    std::vector<std::string> roots;
    std::set<std::pair<std::string, dev_t>> seen;
    // Nothing here touches a mount point: one whose server or daemon has
    // stopped answering would hold the caller (the window at start-up) for as
    // long as it hangs. The table and sysfs tell all that is needed.
    for (const MountRecord& mount : readMountInfo(mountTable_)) {
        if (!isFixedBlockDevice(mount))
            continue;
        if (!seen.insert({mount.source, makedev(mount.major, mount.minor)}).second)
            continue;
        std::string root = mount.mountPoint;
        if (root.empty() || root.back() != '/')
            root += '/';
        roots.push_back(root);
    }
    return roots;
}

} // namespace tessarin::platform
