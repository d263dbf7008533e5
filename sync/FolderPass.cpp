#include "sync/FolderPass.h"

#include <unordered_set>
#include <vector>

#include "sync/FolderError.h"

namespace tessarin::sync {

namespace {

// One side's directories as the compare matched names: byte for byte, or
// without regard to case when either volume ignores it.
std::unordered_set<std::string> setOf(const SyncSession& session, const std::vector<platform::RelativePath>& entries)
{
    std::unordered_set<std::string> keys;
    keys.reserve(entries.size());
    for (const platform::RelativePath& entry : entries)
        keys.insert(session.matchKey(entry.text()));
    return keys;
}

} // namespace

void FolderPass::MakePathDirs(const platform::RelativePath& file, SyncSide side)
{
    makeDirectories(file.parent(), side);
}

bool FolderPass::known(SyncSide targetSide, const platform::RelativePath& place) const
{
    return knownSide_ == targetSide && (place == knownDirectory_ || knownDirectory_.isInside(place));
}

void FolderPass::makeDirectories(const platform::RelativePath& directory, SyncSide side)
{
    const SyncSide targetSide = otherSide(side);
    if (known(targetSide, directory))
        return;
    const platform::Root& root = session_.root(targetSide);
    auto ensure = [&](const platform::RelativePath& place) {
        if (known(targetSide, place))
            return;
        // The root "/" has the empty root text; it always exists.
        if (place.isRoot() && root.text().empty())
            return;
        for (const RefusedFolder& refused : refused_)
            if (refused.targetSide == targetSide && refused.relative == place)
                throw refused.error;
        const platform::TreePath at{root, place};
        const platform::EntryKind kind = fs_.entryKind(at);
        // A link to a directory inside the tree serves as one.
        if (kind == platform::EntryKind::Directory || (kind == platform::EntryKind::Link && fs_.isDirectory(at.full())))
            return;
        const platform::FsResult made = fs_.createDirectory(at, sourceOwnership(side, place));
        if (made.ok())
            return;
        FolderError error("无法创建目录", at.full(), made.error, made.refusal);
        if (error.nameRefused())
            refused_.push_back({targetSide, place, error});
        throw error;
    };
    ensure(platform::RelativePath());
    directory.anyEnclosing([&](std::string_view enclosing) {
        ensure(platform::RelativePath::fromText(enclosing));
        return false;
    });
    if (!directory.isRoot())
        ensure(directory);
    knownSide_ = targetSide;
    knownDirectory_ = directory;
}

std::optional<platform::Ownership> FolderPass::sourceOwnership(SyncSide side,
                                                               const platform::RelativePath& relative) const
{
    // Where either volume keeps no permission bits, the new directory gets
    // what a new directory gets there (0777 less the umask).
    using Permissions = platform::VolumeTraits::Permissions;
    if (session_.volumeTraits(side).permissions != Permissions::All ||
        session_.volumeTraits(otherSide(side)).permissions != Permissions::All)
        return std::nullopt;
    return fs_.ownershipOf((session_.root(side) / relative).bytes());
}

void FolderPass::CreateMissingFolders(SyncSide side)
{
    const std::vector<platform::RelativePath>& source = session_.table(side).Directories;
    if (source.empty())
        return;
    const auto target = setOf(session_, session_.table(otherSide(side)).Directories);
    for (const platform::RelativePath& directory : source) {
        if (target.count(session_.matchKey(directory.text())) || session_.insideUnreadable(directory.text()))
            continue;
        try {
            makeDirectories(directory, side);
        } catch (const FolderError& e) {
            if (!e.nameRefused())
                throw;
        }
    }
}

void FolderPass::RemoveExtraFolders(SyncSide side)
{
    const std::vector<platform::RelativePath>& target = session_.table(otherSide(side)).Directories;
    if (target.empty())
        return;
    // Directories go away here: what was known to exist may be gone.
    knownSide_.reset();
    knownDirectory_ = {};
    const auto source = setOf(session_, session_.table(side).Directories);
    const platform::Root& targetRoot = session_.root(otherSide(side));
    for (const platform::RelativePath& directory : target) {
        // Inside a directory that could not be read, "extra" means "not seen".
        if (source.count(session_.matchKey(directory.text())) || session_.insideUnreadable(directory.text()))
            continue;
        const platform::TreePath place{targetRoot, directory};
        const platform::EntryKind kind = fs_.entryKind(place);
        if (kind == platform::EntryKind::Link) {
            const platform::FsResult removed = fs_.deleteFile(place);
            if (!removed.ok())
                throw FolderError("无法删除目录链接", place.full(), removed.error);
            continue;
        }
        // Gone with an enclosing directory earlier in this pass, or before;
        // or reached only through a link, which was removed as a link.
        if (kind != platform::EntryKind::Directory)
            continue;
        DeleteFolderTree(place);
        const platform::FsResult removed = fs_.removeDirectory(place);
        if (!removed.ok())
            throw FolderError("无法删除目录", place.full(), removed.error);
    }
}

void FolderPass::DeleteFolderTree(const platform::TreePath& directory)
{
    std::string failedPath;
    const platform::FsResult emptied = fs_.emptyDirectoryTree(directory, failedPath);
    if (!emptied.ok())
        throw FolderError("无法删除目录", failedPath, emptied.error);
}

} // namespace tessarin::sync
