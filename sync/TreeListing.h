#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/Progress.h"
#include "platform/FileSystem.h"
#include "sync/FileTable.h"

namespace tessarin::core {
class Throttle;
}

namespace tessarin::sync {

// What one side's walk found: its FileTable, complete and indexed, and the
// directories it could not see. Built by the walk alone and handed over whole,
// so the two sides can be listed at once on two threads that share nothing
// but the file system and the stop request.
struct TreeListing {
    FileTable table;
    // Directories that could not be read (or not to the end); the root
    // itself among them when it could not.
    std::vector<platform::RelativePath> unreadable;
    // Directories not entered (reached a second time, or on a pseudo file
    // system): nothing at or under them was seen.
    std::vector<platform::RelativePath> notEntered;
    // Links of another user's that lead out of the root: neither followed
    // nor listed, and, as a directory not entered, nothing at or under them
    // counts as seen.
    std::vector<platform::RelativePath> othersLinks;
    // Directories where a volume of other traits begins below the root (a
    // stick mounted inside the tree), with what that volume keeps: names,
    // times and attributes below them are compared by its rules.
    std::vector<std::pair<platform::RelativePath, platform::VolumeTraits>> volumes;
    // The walk entered the other side's root: one root lies inside the other
    // (a bind mount or a link counts, as it is the same directory).
    bool holdsOtherRoot = false;
    // The walk heard a stop request: the table is partial and not indexed.
    bool stopped = false;
};

// How a walk lists: the options that shape it and the state it may reach.
struct ListingSettings {
    bool subFolders = true;
    // Build the folded-case index as well: names are matched without regard to case.
    bool foldCase = false;
    std::int64_t zoneOffset = 0;
    // The other side's root, to tell whether this walk reaches it.
    std::optional<platform::FileId> otherRoot;
};

// Where a walk may keep the window alive from: the thread that runs the
// compare passes its throttle and progress; the other thread passes neither.
struct EventPump {
    core::Throttle* throttle = nullptr;
    core::Progress* progress = nullptr;
};

// Lists the tree under root: subdirectories' files before a
// directory's own, each directory entered at most once. A root that is not an
// existing directory lists as empty. stopSource is asked once per directory,
// from the calling thread.
TreeListing listTree(platform::FileSystem& fs, const platform::Root& root, const ListingSettings& settings,
                     const core::Progress& stopSource, EventPump pump = {});

} // namespace tessarin::sync
