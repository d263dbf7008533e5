#pragma once
// The mount table as /proc/self/mountinfo gives it: the one reader of it for
// the drives, the volumes' traits and the pseudo file systems.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessarin::platform {

// One mount, its fields' escapes (\040 and the like) undone.
struct MountRecord {
    unsigned major = 0, minor = 0; // the device of the mounted file system
    std::string mountPoint;
    std::string type;   // "ext4", "fuseblk", "fuse.fusefat"...
    std::string source; // the device or image, as mounted
};

// The mounts of a text in the form of /proc/self/mountinfo, in its order;
// lines that are not whole are left out.
std::vector<MountRecord> parseMountInfo(std::string_view text);

// The mounts of the process's own table (or of the file at path); none where
// it cannot be read.
std::vector<MountRecord> readMountInfo(const std::string& path = "/proc/self/mountinfo");

// The mount of the device major:minor; the last one listed wins, as it is the
// one on top.
std::optional<MountRecord> findMount(const std::vector<MountRecord>& mounts, unsigned major, unsigned minor);

} // namespace tessarin::platform
