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

std::string decodeField(std::string_view field)
{
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string_view digits = field.substr(i + 1, 3);
            if (digits.find_first_not_of("01234567") == std::string_view::npos) {
                out += static_cast<char>(std::stoi(std::string(digits), nullptr, 8));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

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

std::vector<MountEntry> parseMountTable(std::string_view text)
{
    std::vector<MountEntry> mounts;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        const std::size_t a = line.find(' ');
        if (a == std::string_view::npos)
            continue;
        const std::size_t b = line.find(' ', a + 1);
        mounts.push_back({decodeField(line.substr(0, a)),
                          decodeField(line.substr(a + 1, b == std::string_view::npos ? b : b - a - 1))});
    }
    return mounts;
}

PosixDrives::PosixDrives(std::string mountTable, std::string sysRoot)
    : mountTable_(std::move(mountTable)), sysRoot_(std::move(sysRoot))
{}

bool PosixDrives::isFixedBlockDevice(const MountEntry& mount) const
{
    if (!startsWith(mount.device, "/"))
        return false; // proc, tmpfs, a network share...
    // The kernel's name of the device: /dev/disk/by-uuid/... and
    // /dev/mapper/... are links to the node that carries it.
    std::string name(Path(mount.device).fileName());
    if (char* real = ::realpath(mount.device.c_str(), nullptr)) {
        name = Path(real).fileName();
        std::free(real);
    }
    if (startsWith(name, "loop") || startsWith(name, "ram") || startsWith(name, "zram"))
        return false; // disk images and RAM disks are not fixed drives
    std::string blockDir = sysRoot_ + "/class/block/" + name;
    struct stat st;
    if (::stat(blockDir.c_str(), &st) != 0) {
        // A device named otherwise in the table ("/dev/root"): go by the
        // device number of the mounted file system.
        if (::stat(mount.mountPoint.c_str(), &st) != 0)
            return false;
        blockDir = sysRoot_ + "/dev/block/" + std::to_string(major(st.st_dev)) + ":" + std::to_string(minor(st.st_dev));
    }
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
    for (const MountEntry& mount : parseMountTable(readText(mountTable_))) {
        struct stat st;
        if (::stat(mount.mountPoint.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            continue;
        if (!isFixedBlockDevice(mount))
            continue;
        if (!seen.insert({mount.device, st.st_dev}).second)
            continue;
        std::string root = mount.mountPoint;
        if (root.empty() || root.back() != '/')
            root += '/';
        roots.push_back(root);
    }
    return roots;
}

} // namespace tessarin::platform
