#pragma once
// The directories a synchronisation creates and removes, beneath the roots of
// the last compare, from the two sides' Directories lists.
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "sync/FolderError.h"
#include "sync/Operation.h"
#include "sync/SyncSession.h"

namespace tessarin::sync {

class FolderPass {
public:
    explicit FolderPass(const SyncSession& session, platform::FileSystem& fs) : session_(session), fs_(fs) {}

    // Creates the missing directories that hold file, a place below the
    // target side's root (side is the source side), from the root inwards,
    // each one beneath the root; file itself is never created. Throws a
    // FolderError when a directory cannot be created. One whose name the
    // volume cannot hold is not tried again: what lies below it fails with
    // that directory's error.
    void MakePathDirs(const platform::RelativePath& file, SyncSide side);

    // Creates on the target side each subdirectory listed only on the source
    // side. One whose name the volume cannot hold is passed over with what
    // lies below it; any other failure ends the pass.
    void CreateMissingFolders(SyncSide side);

    // The directories whose names the target's volume could not hold, each
    // once, in the order they were met.
    struct RefusedFolder {
        SyncSide targetSide;
        platform::RelativePath relative;
        FolderError error;
    };
    const std::vector<RefusedFolder>& refusedFolders() const { return refused_; }

    // Removes from the target side, with their contents, the subdirectories
    // listed only there. A link standing for such a directory is removed
    // itself; what it points to is left alone. Throws on a failed removal.
    void RemoveExtraFolders(SyncSide side);

    // Empties one directory beneath its root: its subdirectories with their
    // trees, then its files. Hidden subdirectories are neither entered nor
    // removed; links are removed, never entered. Files that cannot be
    // deleted are left; a subdirectory that cannot be removed throws.
    void DeleteFolderTree(const platform::TreePath& directory);

private:
    // Creates directory and the missing directories that hold it, on the
    // side opposite side, as MakePathDirs does.
    void makeDirectories(const platform::RelativePath& directory, SyncSide side);
    // Whether place is known to exist on targetSide: knownDirectory_ or one
    // of the directories that hold it.
    bool known(SyncSide targetSide, const platform::RelativePath& place) const;
    // What a directory made on the target is made like: the permission bits
    // and owner of the source side's directory at relative, where both
    // volumes keep them; nothing otherwise.
    std::optional<platform::Ownership> sourceOwnership(SyncSide side, const platform::RelativePath& relative) const;

    const SyncSession& session_;
    platform::FileSystem& fs_;
    // A directory below the root of side knownSide_ that is known to exist
    // with every directory that holds it; rows in list order share their
    // directories, so most need no look at the disk. None known: no side.
    std::optional<SyncSide> knownSide_;
    platform::RelativePath knownDirectory_;
    std::vector<RefusedFolder> refused_;
};

} // namespace tessarin::sync
