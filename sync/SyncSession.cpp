#include "sync/SyncSession.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <future>

#include "sync/CaseFold.h"
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
constexpr const char* kStoppedText = "比较已停止。";

// The comparison asks whether to stop every this many files as well as at
// each throttled status update.
constexpr std::size_t kStopCheckInterval = 4096;

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
    comparing_ = true;
    struct ComparingEnd {
        bool& flag;
        ~ComparingEnd() { flag = false; }
    } comparingEnd{comparing_};

    stopped_ = false;
    clearResults();
    progress.tablesEmptied();
    trimOneSlash(dir1);
    trimOneSlash(dir2);
    roots_[0] = dir1;
    roots_[1] = dir2;
    decideMatching();

    ListBothDirectories(options, progress);
    if (stopped_ || progress.stopRequested()) {
        endStopped(progress);
        return true;
    }
    for (const auto& directories : unreadable_)
        unreadableSet_.insert(directories.begin(), directories.end());
    for (const auto& directories : notEntered_)
        notEnteredSet_.insert(directories.begin(), directories.end());
    if (!BuildOperationLists(progress))
        endStopped(progress);
    return true;
}

void SyncSession::decideMatching()
{
    using Permissions = platform::VolumeTraits::Permissions;
    for (int side = 1; side <= 2; ++side)
        traits_[side - 1] = fs_.volumeTraits(rootText(side) + "/");
    const auto either = [this](auto&& test) { return test(traits_[0]) || test(traits_[1]); };
    foldCase_ = either([](const platform::VolumeTraits& t) { return t.caseInsensitive; });
    timeResolution_ = std::max({1, traits_[0].timeResolutionSeconds, traits_[1].timeResolutionSeconds});
    // Only what both volumes keep is compared: a side that keeps only the
    // read-only state shows every other permission bit as the volume's
    // fixed value, and one that keeps none shows even that fixed.
    attributeMask_ = ~std::uint32_t{0};
    if (either([](const platform::VolumeTraits& t) { return t.permissions != Permissions::All; }))
        attributeMask_ &= ~platform::kPermissionMask;
    if (either([](const platform::VolumeTraits& t) { return t.permissions == Permissions::None; }))
        attributeMask_ &= ~platform::kAttrReadOnly;
}

std::string SyncSession::matchKey(std::string_view name) const
{
    return foldCase_ ? foldedCase(name) : std::string(name);
}

std::string SyncSession::pairedName(SyncSide side, std::string_view name) const
{
    if (foldCase_)
        if (const auto position = table(side).firstFoldedPosition(foldedCase(name)))
            return std::string(table(side).name(*position));
    return std::string(name);
}

void SyncSession::clearResults()
{
    for (int side = 1; side <= 2; ++side) {
        table(side).clear();
        list(side).clear();
        list(side).shrink_to_fit();
        unreadable_[side - 1].clear();
        notEntered_[side - 1].clear();
    }
    unreadableSet_.clear();
    notEnteredSet_.clear();
}

void SyncSession::endStopped(Progress& progress)
{
    // Nothing of a stopped compare may be synchronised: it saw only part.
    stopped_ = true;
    clearResults();
    // At once, before anything can repaint: a side shown already must not
    // show rows of a table that has just been emptied.
    progress.tablesEmptied();
    for (int side = 1; side <= 2; ++side)
        progress.sideListed(side, FileCountText(0));
    progress.setFraction(0, 0);
    progress.setStatus(kStoppedText);
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
    TreeWalk walkTwo{2, options, zoneOffset, nullptr, nullptr, progress, {}};
    auto listedTwo = std::async(std::launch::async, [this, &walkTwo] { ListSide(walkTwo); });
    TreeWalk walkOne{1, options, zoneOffset, &throttle, &progress, progress, {}};
    try {
        ListSide(walkOne);
    } catch (...) {
        listedTwo.wait();
        throw;
    }
    // A side stopped part way has no final count to show.
    if (!walkOne.stopped) {
        progress.sideListed(1, FileCountText(table(1).fileCount()));
        progress.processEvents();
    }
    while (listedTwo.wait_for(std::chrono::milliseconds(std::max<std::int64_t>(progressIntervalMs_, 1))) !=
           std::future_status::ready)
        progress.processEvents();
    listedTwo.get(); // passes on an error of the second walk
    stopped_ = walkOne.stopped || walkTwo.stopped;
    if (stopped_)
        return;
    progress.sideListed(2, FileCountText(table(2).fileCount()));
    progress.processEvents();
}

void SyncSession::ListSide(TreeWalk& walk)
{
    const std::string start = rootText(walk.side) + "/";
    // A root that is not an existing directory lists as empty, without a message.
    if (const auto rootId = fs_.directoryId(start)) {
        // A root on a pseudo file system is not read: like a directory that
        // cannot be read, it counts as unseen, so nothing is taken as missing.
        if (fs_.isPseudoFileSystem(start)) {
            unreadable_[walk.side - 1].push_back("");
        } else {
            walk.entered.insert(*rootId);
            ListDirectoryTree(walk, start, *rootId);
        }
    }
    if (walk.stopped)
        return;
    table(walk.side).buildNameIndex();
    if (foldCase_)
        table(walk.side).buildFoldedIndex();
}

void SyncSession::noteNotEntered(TreeWalk& walk, const std::string& path)
{
    notEntered_[walk.side - 1].push_back(path.substr(rootText(walk.side).size()));
}

void SyncSession::ListDirectoryTree(TreeWalk& walk, const std::string& directory, platform::FileId id)
{
    if (walk.stopped || (walk.stopped = walk.stopSource.stopRequested()))
        return;
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
        std::string path = directory + sub.name;
        // A directory reached again (a link leading back, or two links to one
        // place) would list the same files twice or for ever, and a pseudo
        // file system has endless files: neither is entered. Nothing at or
        // under such a path counts as seen, so its counterpart on the other
        // side is neither deleted nor removed. Only a change of device can
        // lead onto another file system: then, and only then, it is asked.
        if (!walk.entered.insert(sub.id).second ||
            (sub.id.device != id.device && fs_.isPseudoFileSystem(path + "/"))) {
            noteNotEntered(walk, path);
            continue;
        }
        files.Directories.push_back(path.substr(rootLength));
        path += '/';
        ListDirectoryTree(walk, path, sub.id);
        if (walk.stopped)
            return;
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
    if (unreadableSet_.empty() && notEnteredSet_.empty())
        return false;
    // Each "/" of the path ends one of its enclosing directories.
    for (std::size_t p = path.find('/'); p != std::string_view::npos; p = path.find('/', p + 1)) {
        const std::string_view enclosing = path.substr(0, p);
        if (unreadableSet_.count(enclosing) || notEnteredSet_.count(enclosing))
            return true;
    }
    // A directory not entered is unseen itself, not only its contents.
    return notEnteredSet_.count(path) != 0;
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

bool SyncSession::BuildOperationLists(Progress& progress)
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
        const bool anyUnreadable = !unreadableSet_.empty() || !notEnteredSet_.empty();
        std::string slashName, folded;
        for (std::size_t i = 0; i < count; ++i) {
            if (throttle.due() || i + 1 == count) {
                progress.setStatus(phaseText(format, i + 1, count));
                progress.setFraction((side == 1 ? 0 : table(1).fileCount()) + i + 1,
                                     table(1).fileCount() + table(2).fileCount());
                progress.processEvents();
                if (progress.stopRequested())
                    return false;
            } else if (i % kStopCheckInterval == 0 && progress.stopRequested()) {
                return false;
            }
            const std::string_view name = source.name(i);
            if (anyUnreadable) {
                slashName.assign(1, '/');
                slashName += name;
                if (insideUnreadable(slashName))
                    continue;
            }
            std::optional<std::size_t> j;
            if (foldCase_) {
                folded.clear();
                appendFoldedCase(name, folded);
                j = target.firstFoldedPosition(folded);
            } else {
                j = target.firstPosition(name);
            }
            if (j) {
                // Newer by at least the coarser volume's time step: a copy
                // onto FAT keeps its time only to 2 seconds.
                if (source.modifiedSeconds(i) - target.modifiedSeconds(*j) >= timeResolution_)
                    AddOperation(side, Operation::Update, name);
                if ((source.attributes(i) ^ target.attributes(*j)) & attributeMask_)
                    AddOperation(side, Operation::Attributes, name);
            } else {
                AddOperation(side, Operation::New, name);
                AddOperation(other, Operation::Delete, name);
            }
        }
    }
    progress.setFraction(0, 0);
    progress.setStatus("准备就绪。");
    return true;
}

} // namespace tessarin::sync
