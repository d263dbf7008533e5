#include "sync/SyncSession.h"

#include <algorithm>
#include <cstdio>

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
    }
    progress.tablesEmptied();
    trimOneSlash(dir1);
    trimOneSlash(dir2);
    roots_[0] = dir1;
    roots_[1] = dir2;

    ListBothDirectories(options, progress);
    BuildOperationLists(progress);
    return true;
}

void SyncSession::ListBothDirectories(const SyncOptions& options, Progress& progress)
{
    table(1).Directories.clear();
    table(2).Directories.clear();
    progress.setStatus("正在列出文件列表...");
    zoneOffset_ = fs_.zoneOffsetNow();
    Throttle throttle(progressIntervalMs_);
    walkThrottle_ = &throttle;
    for (int side = 1; side <= 2; ++side) {
        const std::string start = rootText(side) + "/";
        // A root that is not an existing directory lists as empty, without a message.
        if (const auto rootId = fs_.directoryId(start)) {
            walkPath_.assign(1, *rootId);
            ListDirectoryTree(side, start, options, progress);
            walkPath_.clear();
        }
        table(side).buildNameIndex();
        progress.sideListed(side, FileCountText(table(side).fileCount()));
        progress.processEvents();
    }
    walkThrottle_ = nullptr;
}

void SyncSession::ListDirectoryTree(SyncSide side, const std::string& directory, const SyncOptions& options,
                                    Progress& progress)
{
    platform::DirectoryContents contents;
    // A directory that cannot be read contributes nothing; the walk goes on.
    if (!fs_.readDirectory(directory, options.syncSubFolder, "*.*", contents))
        return;
    if (walkThrottle_ && walkThrottle_->due())
        progress.processEvents();

    FileTable& files = table(side);
    const std::size_t rootLength = rootText(side).size();

    // Subdirectory pass: each subdirectory's tree complete before the next.
    for (const platform::DirEntry& sub : contents.directories) {
        // A link leading back to a directory on the current path would walk
        // the same files again and again: it is not entered.
        if (std::find(walkPath_.begin(), walkPath_.end(), sub.id) != walkPath_.end())
            continue;
        std::string path = directory + sub.name;
        files.Directories.push_back(path.substr(rootLength));
        path += '/';
        walkPath_.push_back(sub.id);
        ListDirectoryTree(side, path, options, progress);
        walkPath_.pop_back();
    }

    // File pass: the directory's own files, after those of its subdirectories.
    std::string name = RelativeFileName(side, directory);
    const std::size_t prefixLength = name.size();
    for (const platform::DirEntry& file : contents.files) {
        name.resize(prefixLength);
        name += file.name;
        files.addFile(name, file.attributes, file.size, LocalSeconds(file.modified, zoneOffset_));
    }
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
        for (std::size_t i = 0; i < count; ++i) {
            if (throttle.due() || i + 1 == count) {
                progress.setStatus(phaseText(format, i + 1, count));
                progress.setFraction((side == 1 ? 0 : table(1).fileCount()) + i + 1,
                                     table(1).fileCount() + table(2).fileCount());
                progress.processEvents();
            }
            const std::string_view name = source.name(i);
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
