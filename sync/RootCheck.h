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
bool liesInside(platform::FileSystem& fs, const std::string& path, platform::FileId outer);

// The notice that refuses a command on these roots, or nothing when it
// may run. requiredSource is the side that must be an existing directory
// (none for the two-way command). walkedInto: whether the compare's
// walk of side 1, and of side 2, entered the other side's root, which then
// lies inside it however it was reached (a bind mount counts).
std::optional<std::string> rootsRefusal(platform::FileSystem& fs, const platform::Root& root1,
                                        const platform::Root& root2, std::optional<SyncSide> requiredSource,
                                        const bool (&walkedInto)[2]);

} // namespace tessarin::sync
