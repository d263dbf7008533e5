#pragma once
#include <optional>
#include <string>
#include <vector>

#include "dupfind/FoundFiles.h"
#include "platform/FileSystem.h"

namespace tessarin::dupfind {

// A checked file that could not be removed, with the system's reason.
struct DeletionFailure {
    std::string path;
    std::string reason;
};

// What "执行删除" did.
struct DeletionReport {
    // The rows that left the list, in their order.
    FoundFiles removed;
    // The rows whose file could not be removed, in their order; they stay
    // in the list, still checked.
    std::vector<DeletionFailure> failures;
    // Why what was removed could not be put onto the disk, if it could not.
    std::optional<std::string> flushFailure;
};

// "执行删除", once the user has agreed (the caller asks first): removes the
// file of every checked row, first to last, each beneath its own directory.
// A removed file's row leaves the list; a row whose file cannot be removed
// stays, still checked. Then the removals are flushed to the disk.
DeletionReport deleteCheckedFiles(FoundFiles& rows, platform::FileSystem& fileSystem);

} // namespace tessarin::dupfind
