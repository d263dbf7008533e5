#include "sync/FolderPass.h"

#include <unordered_set>
#include <vector>

#include "platform/Path.h"
#include "sync/FolderError.h"

namespace tessarin::sync {

namespace {

// One side's directories as the compare matched names: byte for byte, or
// without regard to case when either volume ignores it.
std::unordered_set<std::string> setOf(const SyncSession& session, const std::vector<std::string>& entries)
{
    std::unordered_set<std::string> keys;
    keys.reserve(entries.size());
    for (const std::string& entry : entries)
        keys.insert(session.matchKey(entry));
    return keys;
}

// Whether path[0, length) names known or one of its ancestors at a "/";
// length 0 is the root, an ancestor of all.
bool coveredBy(const std::string& known, const std::string& path, std::size_t length)
{
    return length == 0 || (known.size() >= length && known.compare(0, length, path, 0, length) == 0 &&
                           (known.size() == length || known[length] == '/'));
}

} // namespace

void FolderPass::MakePathDirs(const std::string& relative, SyncSide side)
{
    const SyncSide targetSide = otherSide(side);
    const std::string& root = session_.rootText(targetSide);
    const std::size_t lastSlash = relative.rfind('/');
    const std::size_t directoryLength = lastSlash == std::string::npos ? 0 : lastSlash;
    if (knownSide_ == targetSide && coveredBy(knownDirectory_, relative, directoryLength))
        return;
    auto ensure = [&](std::size_t length) {
        if (knownSide_ == targetSide && coveredBy(knownDirectory_, relative, length))
            return;
        // The root "/" has the empty root text; it always exists.
        if (length == 0 && root.empty())
            return;
        for (const RefusedFolder& refused : refused_)
            if (refused.targetSide == targetSide && refused.relative.size() == length &&
                relative.compare(0, length, refused.relative) == 0)
                throw refused.error;
        const platform::TreePath directory{root, relative.substr(0, length)};
        const platform::EntryKind kind = fs_.entryKind(directory);
        // A link to a directory inside the tree serves as one.
        if (kind == platform::EntryKind::Directory ||
            (kind == platform::EntryKind::Link && fs_.isDirectory(directory.full())))
            return;
        const platform::FsResult made = fs_.createDirectory(directory, sourceOwnership(side, directory.relative));
        if (made.ok())
            return;
        FolderError error("无法创建目录", directory.full(), made.error, made.refusal);
        if (error.nameRefused())
            refused_.push_back({targetSide, directory.relative, error});
        throw error;
    };
    ensure(0);
    for (std::size_t p = 0; p < directoryLength; ++p)
        if (relative[p] == '/')
            ensure(p);
    if (directoryLength > 0)
        ensure(directoryLength);
    knownSide_ = targetSide;
    knownDirectory_.assign(relative, 0, directoryLength);
}

std::optional<platform::Ownership> FolderPass::sourceOwnership(SyncSide side, const std::string& relative) const
{
    // Where either volume keeps no permission bits, the new directory gets
    // what a new directory gets there (0777 less the umask).
    using Permissions = platform::VolumeTraits::Permissions;
    if (session_.volumeTraits(side).permissions != Permissions::All ||
        session_.volumeTraits(otherSide(side)).permissions != Permissions::All)
        return std::nullopt;
    return fs_.ownershipOf(platform::rootDirectory(session_.rootText(side)).bytes() + relative);
}

void FolderPass::CreateMissingFolders(SyncSide side)
{
    const std::vector<std::string>& source = session_.table(side).Directories;
    if (source.empty())
        return;
    const auto target = setOf(session_, session_.table(otherSide(side)).Directories);
    for (const std::string& directory : source) {
        if (target.count(session_.matchKey(directory)) || session_.insideUnreadable(directory))
            continue;
        try {
            MakePathDirs(directory + "/", side);
        } catch (const FolderError& e) {
            if (!e.nameRefused())
                throw;
        }
    }
}

void FolderPass::RemoveExtraFolders(SyncSide side)
{
    const std::vector<std::string>& target = session_.table(otherSide(side)).Directories;
    if (target.empty())
        return;
    // Directories go away here: what was known to exist may be gone.
    knownSide_.reset();
    knownDirectory_.clear();
    const auto source = setOf(session_, session_.table(side).Directories);
    const std::string& targetRoot = session_.rootText(otherSide(side));
    for (const std::string& directory : target) {
        // Inside a directory that could not be read, "extra" means "not seen".
        if (source.count(session_.matchKey(directory)) || session_.insideUnreadable(directory))
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
