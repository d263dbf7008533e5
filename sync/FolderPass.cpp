#include "sync/FolderPass.h"

#include <unordered_set>
#include <vector>

#include "sync/FolderError.h"

namespace tessarin::sync {

namespace {

std::unordered_set<std::string_view> setOf(const std::vector<std::string>& entries)
{
    return std::unordered_set<std::string_view>(entries.begin(), entries.end());
}

bool isHiddenName(const std::string& name)
{
    return !name.empty() && name.front() == '.';
}

// Whether path[0, length) names known or one of its ancestors at a "/".
bool coveredBy(const std::string& known, const std::string& path, std::size_t length)
{
    return known.size() >= length && known.compare(0, length, path, 0, length) == 0 &&
           (known.size() == length || known[length] == '/');
}

} // namespace

void FolderPass::MakePathDirs(const std::string& path, SyncSide side)
{
    const std::size_t rootLength = session_.rootText(otherSide(side)).size();
    const std::size_t lastSlash = path.rfind('/');
    if (lastSlash == std::string::npos || lastSlash < rootLength)
        return;
    if (coveredBy(knownDirectory_, path, lastSlash))
        return;
    std::string prefix;
    for (std::size_t p = rootLength; p <= lastSlash; ++p) {
        if (path[p] != '/')
            continue;
        // The root "/" has the empty root text; it always exists.
        if (p == 0 || coveredBy(knownDirectory_, path, p))
            continue;
        prefix.assign(path, 0, p);
        if (fs_.isDirectory(prefix))
            continue;
        const platform::FsResult made = fs_.createDirectory(prefix);
        if (!made.ok())
            throw FolderError("无法创建目录", prefix, made.error);
    }
    knownDirectory_.assign(path, 0, lastSlash);
}

void FolderPass::CreateMissingFolders(SyncSide side)
{
    const std::vector<std::string>& source = session_.table(side).Directories;
    if (source.empty())
        return;
    const auto target = setOf(session_.table(otherSide(side)).Directories);
    const std::string& targetRoot = session_.rootText(otherSide(side));
    for (const std::string& directory : source)
        if (!target.count(directory) && !session_.insideUnreadable(directory))
            MakePathDirs(targetRoot + directory + "/", side);
}

void FolderPass::RemoveExtraFolders(SyncSide side)
{
    const std::vector<std::string>& target = session_.table(otherSide(side)).Directories;
    if (target.empty())
        return;
    // Directories go away here: what was known to exist may be gone.
    knownDirectory_.clear();
    const auto source = setOf(session_.table(side).Directories);
    const std::string& targetRoot = session_.rootText(otherSide(side));
    for (const std::string& directory : target) {
        // Inside a directory that could not be read, "extra" means "not seen".
        if (source.count(directory) || session_.insideUnreadable(directory))
            continue;
        const std::string path = targetRoot + directory;
        if (fs_.entryKind(path) == platform::EntryKind::Link) {
            const platform::FsResult removed = fs_.deleteFile(path);
            if (!removed.ok())
                throw FolderError("无法删除目录链接", path, removed.error);
            continue;
        }
        const std::string tree = path + "/";
        // Gone with an enclosing directory earlier in this pass, or before.
        if (!fs_.isDirectory(tree))
            continue;
        DeleteFolderTree(tree);
        const platform::FsResult removed = fs_.removeDirectory(tree);
        if (!removed.ok())
            throw FolderError("无法删除目录", path, removed.error);
    }
}

void FolderPass::DeleteFolderTree(const std::string& path)
{
    std::vector<platform::TreeEntry> entries;
    if (!fs_.readEntries(path, entries))
        return;
    for (const platform::TreeEntry& entry : entries) {
        if (entry.kind != platform::EntryKind::Directory || isHiddenName(entry.name))
            continue;
        const std::string sub = path + entry.name;
        DeleteFolderTree(sub + "/");
        const platform::FsResult removed = fs_.removeDirectory(sub);
        if (!removed.ok())
            throw FolderError("无法删除目录", sub, removed.error);
    }
    for (const platform::TreeEntry& entry : entries)
        if (entry.kind != platform::EntryKind::Directory)
            fs_.deleteFile(path + entry.name); // a file left here shows when its directory's removal fails
}

} // namespace tessarin::sync
