#pragma once
// Checks made before a command touches the disk: a one-way command needs an
// existing source root, and no command runs on nested or identical roots.
#include <optional>
#include <string>

#include "platform/FileSystem.h"
#include "sync/Operation.h"

namespace tessarin::sync {

// Whether the directory at path lies inside (or is) the directory with id
// outer, judged on the disk: physical parents by device and inode, so links
// and "..", "." or doubled "/" in the text do not hide a nesting. A path that
// does not exist yet counts where its nearest existing ancestor is.
bool LiesInside(platform::FileSystem& fs, const std::string& path, platform::FileId outer);

// The notice that refuses a command on these root texts, or nothing when it
// may run. requiredSource is the side that must be an existing directory
// (0: none, as for the two-way and checked-rows commands).
std::optional<std::string> RootsRefusal(platform::FileSystem& fs, const std::string& root1, const std::string& root2,
                                        SyncSide requiredSource);

} // namespace tessarin::sync
