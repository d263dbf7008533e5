#include "sync/SyncSession.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <future>

#include "sync/Texts.h"

namespace tessarin::sync {

namespace {

void trimOneSlash(std::string& text)
{
    if (!text.empty() && text.back() == '/')
        text.pop_back();
}

std::string phaseText(const char* format, std::size_t current, std::size_t total)
{
    char text[160];
    std::snprintf(text, sizeof text, format, static_cast<unsigned long long>(current),
                  static_cast<unsigned long long>(total));
    return text;
}

constexpr const char* kPhaseOneText = "正在处理目录一的文件比较，当前%llu个，共%llu个...";
constexpr const char* kPhaseTwoText = "正在处理目录二的文件比较，当前%llu个，共%llu个...";

} // namespace

SyncSession::SyncSession(platform::FileSystem& fileSystem) : fs_(fileSystem) {}

bool SyncSession::CompareDirectories(std::string& dir1, std::string& dir2, const SyncOptions& options,
                                     Progress& progress)
{
    if (busy_)
        return false;
    if (dir1.empty() || dir2.empty())
        return false;
    BusyScope busy(*this);

    for (int side = 1; side <= 2; ++side) {
        table(side).clear();
        list(side).clear();
        list(side).shrink_to_fit();
        unreadable_[side - 1].clear();
    }
    unreadableSet_.clear();
    progress.tablesEmptied();
    trimOneSlash(dir1);
    trimOneSlash(dir2);
    roots_[0] = dir1;
    roots_[1] = dir2;

    ListBothDirectories(options, progress);
    for (const auto& directories : unreadable_)
        unreadableSet_.insert(directories.begin(), directories.end());
    BuildOperationLists(progress);
    return true;
}

void SyncSession::ListBothDirectories(const SyncOptions& options, Progress& progress)
{
    table(1).Directories.clear();
    table(2).Directories.clear();
    progress.setStatus("正在列出文件列表...");
    const std::int64_t zoneOffset = fs_.zoneOffsetNow();
    Throttle throttle(progressIntervalMs_);

    // Directory two is listed on a second thread while this one lists
    // directory one: the two trees are often on different disks, and the
    // walk spends most of its time waiting for the kernel. Only this thread
    // touches the progress; the other writes nothing but table two.
    TreeWalk walkTwo{2, options, zoneOffset, nullptr, nullptr, {}};
    auto listedTwo = std::async(std::launch::async, [this, &walkTwo] { ListSide(walkTwo); });
    TreeWalk walkOne{1, options, zoneOffset, &throttle, &progress, {}};
    try {
        ListSide(walkOne);
    } catch (...) {
        listedTwo.wait();
        throw;
    }
    progress.sideListed(1, FileCountText(table(1).fileCount()));
    progress.processEvents();
    while (listedTwo.wait_for(std::chrono::milliseconds(std::max<std::int64_t>(progressIntervalMs_, 1))) !=
           std::future_status::ready)
        progress.processEvents();
    listedTwo.get(); // passes on an error of the second walk
    progress.sideListed(2, FileCountText(table(2).fileCount()));
    progress.processEvents();
}

void SyncSession::ListSide(TreeWalk& walk)
{
    const std::string start = rootText(walk.side) + "/";
    // A root that is not an existing directory lists as empty, without a message.
    if (const auto rootId = fs_.directoryId(start)) {
        walk.path.assign(1, *rootId);
        ListDirectoryTree(walk, start);
    }
    table(walk.side).buildNameIndex();
}

void SyncSession::ListDirectoryTree(TreeWalk& walk, const std::string& directory)
{
    platform::DirectoryContents contents;
    // A directory that cannot be read contributes nothing; the walk goes on,
    // and what lies inside it is left out of the comparison on both sides.
    if (!fs_.readDirectory(directory, walk.options.syncSubFolder, "*.*", contents)) {
        const std::size_t rootLength = rootText(walk.side).size();
        unreadable_[walk.side - 1].push_back(directory.substr(rootLength, directory.size() - rootLength - 1));
        return;
    }
    if (walk.throttle && walk.throttle->due())
        walk.progress->processEvents();

    FileTable& files = table(walk.side);
    const std::size_t rootLength = rootText(walk.side).size();

    // Subdirectory pass: each subdirectory's tree complete before the next.
    for (const platform::DirEntry& sub : contents.directories) {
        // A link leading back to a directory on the current path would walk
        // the same files again and again: it is not entered.
        if (std::find(walk.path.begin(), walk.path.end(), sub.id) != walk.path.end())
            continue;
        std::string path = directory + sub.name;
        files.Directories.push_back(path.substr(rootLength));
        path += '/';
        walk.path.push_back(sub.id);
        ListDirectoryTree(walk, path);
        walk.path.pop_back();
    }

    // File pass: the directory's own files, after those of its subdirectories.
    std::string name = RelativeFileName(walk.side, directory);
    const std::size_t prefixLength = name.size();
    for (const platform::DirEntry& file : contents.files) {
        name.resize(prefixLength);
        name += file.name;
        files.addFile(name, file.attributes, file.size, LocalSeconds(file.modified, walk.zoneOffset));
    }
}

bool SyncSession::insideUnreadable(std::string_view path) const
{
    if (unreadableSet_.empty())
        return false;
    // Each "/" of the path ends one of its enclosing directories.
    for (std::size_t p = path.find('/'); p != std::string_view::npos; p = path.find('/', p + 1))
        if (unreadableSet_.count(path.substr(0, p)))
            return true;
    return false;
}

std::string SyncSession::RelativeFileName(SyncSide side, std::string_view fullPath) const
{
    const std::string& root = rootText(side);
    const std::size_t p = fullPath.find(root);
    if (p == std::string_view::npos || p + root.size() + 1 > fullPath.size())
        return std::string(fullPath);
    return std::string(fullPath.substr(p + root.size() + 1));
}

void SyncSession::AddOperation(SyncSide side, Operation operation, std::string_view fileName)
{
    list(side).push_back(SyncOperation{operation, std::string(fileName), false});
}

void SyncSession::BuildOperationLists(Progress& progress)
{
    // Matching goes through each table's name index (first position of a
    // name), so the work grows with m + n. Newer means a later ModifiedText;
    // whole local seconds order exactly as those texts do.
    for (int side = 1; side <= 2; ++side) {
        const SyncSide other = otherSide(side);
        const FileTable& source = table(side);
        const FileTable& target = table(other);
        const std::size_t count = source.fileCount();
        const char* format = side == 1 ? kPhaseOneText : kPhaseTwoText;
        Throttle throttle(progressIntervalMs_);
        const bool anyUnreadable = !unreadableSet_.empty();
        std::string slashName;
        for (std::size_t i = 0; i < count; ++i) {
            if (throttle.due() || i + 1 == count) {
                progress.setStatus(phaseText(format, i + 1, count));
                progress.setFraction((side == 1 ? 0 : table(1).fileCount()) + i + 1,
                                     table(1).fileCount() + table(2).fileCount());
                progress.processEvents();
            }
            const std::string_view name = source.name(i);
            if (anyUnreadable) {
                slashName.assign(1, '/');
                slashName += name;
                if (insideUnreadable(slashName))
                    continue;
            }
            if (const auto j = target.firstPosition(name)) {
                if (source.modifiedSeconds(i) > target.modifiedSeconds(*j))
                    AddOperation(side, Operation::Update, name);
                if (source.attributes(i) != target.attributes(*j))
                    AddOperation(side, Operation::Attributes, name);
            } else {
                AddOperation(side, Operation::New, name);
                AddOperation(other, Operation::Delete, name);
            }
        }
    }
    progress.setFraction(0, 0);
    progress.setStatus("准备就绪。");
}

} // namespace tessarin::sync
