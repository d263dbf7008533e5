#include "sync/SyncSession.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <future>

#include "core/Throttle.h"
#include "platform/Path.h"
#include "sync/CaseFold.h"
#include "sync/Texts.h"
#include "sync/TimeRules.h"

namespace tessarin::sync {

namespace {

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

SyncSession::SyncSession(platform::FileSystem& fileSystem) : fs_(fileSystem)
{}

bool SyncSession::CompareDirectories(std::string_view rootText1, std::string_view rootText2, const SyncOptions& options,
                                     core::Progress& progress)
{
    if (busy_)
        return false;
    BusyScope busy(*this);
    comparing_ = true;
    struct ComparingEnd {
        std::atomic<bool>& flag;
        ~ComparingEnd() { flag = false; }
    } comparingEnd{comparing_};

    stopped_ = false;
    // The old tables go before the new ones are built: a compare needs no
    // more memory than one set of tables.
    emptyAll();
    roots_[0] = platform::Root(rootText1);
    roots_[1] = platform::Root(rootText2);
    decideMatching();

    ListBothDirectories(options, progress);
    if (stopped_ || progress.stopRequested()) {
        endStopped(progress);
        return true;
    }
    for (const auto& directories : unreadable_)
        for (const platform::RelativePath& directory : directories)
            unreadableSet_.insert(directory.text());
    for (const auto& directories : notEntered_)
        for (const platform::RelativePath& directory : directories)
            notEnteredSet_.insert(directory.text());
    prepareFoldedMatching();
    if (!BuildOperationLists(progress))
        endStopped(progress);
    return true;
}

namespace {

// The attribute bits two volumes both keep: a side that keeps only the
// read-only state shows every other permission bit as the volume's fixed
// value, and one that keeps none shows even that fixed.
std::uint32_t keptByBoth(const platform::VolumeTraits& a, const platform::VolumeTraits& b)
{
    using Permissions = platform::VolumeTraits::Permissions;
    std::uint32_t mask = ~std::uint32_t{0};
    if (a.permissions != Permissions::All || b.permissions != Permissions::All)
        mask &= ~platform::kPermissionMask;
    if (a.permissions == Permissions::None || b.permissions == Permissions::None)
        mask &= ~platform::kAttrReadOnly;
    return mask;
}

} // namespace

void SyncSession::decideMatching()
{
    for (const SyncSide side : kBothSides)
        traits_[sideIndex(side)] = fs_.volumeTraits(root(side).directory().bytes());
    foldCase_ = traits_[0].caseInsensitive || traits_[1].caseInsensitive;
    timeResolution_ = std::max({1, traits_[0].timeResolutionSeconds, traits_[1].timeResolutionSeconds});
    // Only what both volumes keep is compared.
    attributeMask_ = keptByBoth(traits_[0], traits_[1]);
}

const platform::VolumeTraits& SyncSession::volumeTraitsAt(SyncSide side, std::string_view name) const
{
    const auto& below = volumesBelow_[sideIndex(side)];
    const platform::VolumeTraits* found = &traits_[sideIndex(side)];
    if (below.empty())
        return *found;
    // The innermost volume on the way counts.
    std::string prefix;
    platform::RelativePath::anyEnclosingOf(name, [&](std::string_view directory) {
        prefix.assign(directory);
        if (const auto it = below.find(prefix); it != below.end())
            found = &it->second;
        return false;
    });
    return *found;
}

std::uint32_t SyncSession::comparedAttributes(std::string_view name) const
{
    if (volumesBelow_[0].empty() && volumesBelow_[1].empty())
        return attributeMask_;
    return keptByBoth(volumeTraitsAt(SyncSide::One, name), volumeTraitsAt(SyncSide::Two, name));
}

void SyncSession::appendMatchKey(std::string_view name, std::string& out) const
{
    if (foldCase_) {
        appendFoldedCase(name, out);
        return;
    }
    // Below the first directory on the way that lies on a volume ignoring
    // case, the rest of the name folds; the directory's own name does not.
    const bool folded =
        !foldingSet_.empty() && platform::RelativePath::anyEnclosingOf(name, [&](std::string_view directory) {
            if (!foldingSet_.count(directory))
                return false;
            out.append(name.substr(0, directory.size() + 1));
            appendFoldedCase(name.substr(directory.size() + 1), out);
            return true;
        });
    if (!folded)
        out.append(name);
}

void SyncSession::appendMatchKeyOf(const void* session, std::string_view name, std::string& out)
{
    static_cast<const SyncSession*>(session)->appendMatchKey(name, out);
}

std::string SyncSession::matchKey(std::string_view name) const
{
    std::string key;
    appendMatchKey(name, key);
    return key;
}

void SyncSession::prepareFoldedMatching()
{
    for (const auto& below : volumesBelow_)
        for (const auto& [directory, traits] : below)
            if (traits.caseInsensitive)
                foldingSet_.insert(directory);
    foldSome_ = foldCase_ || !foldingSet_.empty();
    if (!foldSome_)
        return;
    // The walks folded whole names already where a root's volume ignores case.
    if (!foldCase_)
        for (const SyncSide side : kBothSides)
            table(side).buildFoldedIndex(&SyncSession::appendMatchKeyOf, this);
    pairFoldedNames();
}

void SyncSession::pairFoldedNames()
{
    const FileTable& one = table(SyncSide::One);
    const FileTable& two = table(SyncSide::Two);
    partners_[0].assign(one.fileCount(), kNoPartner);
    partners_[1].assign(two.fileCount(), kNoPartner);
    const auto pair = [this](std::size_t i, std::size_t j) {
        partners_[0][i] = static_cast<std::uint32_t>(j);
        partners_[1][j] = static_cast<std::uint32_t>(i);
    };
    for (std::size_t i = 0; i < one.fileCount(); ++i)
        if (const auto j = two.firstPosition(one.name(i)))
            pair(i, *j);
    std::string key;
    for (std::size_t i = 0; i < one.fileCount(); ++i) {
        if (partners_[0][i] != kNoPartner)
            continue;
        key.clear();
        appendMatchKey(one.name(i), key);
        if (const auto j = two.firstFoldedPosition(key); j && partners_[1][*j] == kNoPartner)
            pair(i, *j);
    }
}

std::optional<std::size_t> SyncSession::partnerOf(SyncSide side, std::size_t position) const
{
    const std::uint32_t partner = partners_[sideIndex(side)][position];
    if (partner == kNoPartner)
        return std::nullopt;
    return partner;
}

std::string SyncSession::pairedName(SyncSide side, std::string_view name) const
{
    if (foldSome_)
        if (const auto position = table(otherSide(side)).firstPosition(name))
            if (const auto partner = partnerOf(otherSide(side), *position))
                return std::string(table(side).name(*partner));
    return std::string(name);
}

void SyncSession::emptyAll()
{
    observer_->listsAboutToBeRebuilt();
    for (const SyncSide side : kBothSides) {
        FileTable().swap(table(side));
        OperationList().swap(list(side));
        unreadable_[sideIndex(side)].clear();
        notEntered_[sideIndex(side)].clear();
        othersLinks_[sideIndex(side)].clear();
    }
    unreadableSet_.clear();
    notEnteredSet_.clear();
    foldingSet_.clear();
    for (auto& below : volumesBelow_)
        below = {};
    foldSome_ = false;
    for (auto& partners : partners_)
        std::vector<std::uint32_t>().swap(partners);
    holdsOtherRoot_[0] = holdsOtherRoot_[1] = false;
    observer_->listsEmptied();
}

void SyncSession::handInSide(SyncSide side, TreeListing&& listing)
{
    observer_->sideAboutToBeListed(side);
    table(side).swap(listing.table);
    unreadable_[sideIndex(side)] = std::move(listing.unreadable);
    notEntered_[sideIndex(side)] = std::move(listing.notEntered);
    // Unseen as a directory not entered is: its counterpart stays.
    notEntered_[sideIndex(side)].insert(notEntered_[sideIndex(side)].end(), listing.othersLinks.begin(),
                                        listing.othersLinks.end());
    othersLinks_[sideIndex(side)] = std::move(listing.othersLinks);
    for (auto& [directory, traits] : listing.volumes)
        volumesBelow_[sideIndex(side)].emplace(directory.text(), traits);
    holdsOtherRoot_[sideIndex(side)] = listing.holdsOtherRoot;
    observer_->sideListed(side, fileCountText(table(side).fileCount()));
}

void SyncSession::handInLists(OperationList (&lists)[2])
{
    observer_->listsAboutToBeReady();
    for (const SyncSide side : kBothSides)
        list(side).swap(lists[sideIndex(side)]);
    observer_->listsReady();
}

void SyncSession::endStopped(core::Progress& progress)
{
    // Nothing of a stopped compare may be synchronised: it saw only part.
    stopped_ = true;
    emptyAll();
    for (const SyncSide side : kBothSides)
        handInSide(side, TreeListing{});
    progress.setFraction(0, 0);
    progress.setStatus(kStoppedText);
}

void SyncSession::ListBothDirectories(const SyncOptions& options, core::Progress& progress)
{
    progress.setStatus("正在列出文件列表...");
    zoneOffset_ = fs_.zoneOffsetNow();
    // Each walk is told the other's root, to tell whether it reaches it.
    const std::optional<platform::FileId> rootIds[2] = {fs_.directoryId(root(SyncSide::One).directory().bytes()),
                                                        fs_.directoryId(root(SyncSide::Two).directory().bytes())};
    ListingSettings settings{options.syncSubFolder, foldCase_, zoneOffset_, rootIds[0]};
    ListingSettings settingsOne = settings;
    settingsOne.otherRoot = rootIds[1];
    core::Throttle throttle(progressIntervalMs_);

    // Directory two is listed on a second thread while this one lists
    // directory one: the two trees are often on different disks, and the
    // walk spends most of its time waiting for the kernel. Each walk builds
    // its own listing; only this thread touches the progress and the session.
    const core::Progress& stopSource = progress;
    auto listedTwo = std::async(std::launch::async, [&fs = fs_, root = root(SyncSide::Two), settings, &stopSource] {
        return listTree(fs, root, settings, stopSource);
    });
    TreeListing one;
    try {
        one = listTree(fs_, root(SyncSide::One), settingsOne, stopSource, EventPump{&throttle, &progress});
    } catch (...) {
        listedTwo.wait();
        throw;
    }
    // A side stopped part way has no final count to show.
    if (!one.stopped) {
        handInSide(SyncSide::One, std::move(one));
        progress.processEvents();
    }
    while (listedTwo.wait_for(std::chrono::milliseconds(std::max<std::int64_t>(progressIntervalMs_, 1))) !=
           std::future_status::ready)
        progress.processEvents();
    TreeListing two = listedTwo.get(); // passes on an error of the second walk
    stopped_ = one.stopped || two.stopped;
    if (stopped_)
        return;
    handInSide(SyncSide::Two, std::move(two));
    progress.processEvents();
}

bool SyncSession::insideUnreadable(std::string_view place) const
{
    if (unreadableSet_.empty() && notEnteredSet_.empty())
        return false;
    // The root encloses everything; then each "/" of the place ends one of
    // its enclosing directories.
    if (unreadableSet_.count(std::string_view()))
        return true;
    if (platform::RelativePath::anyEnclosingOf(place, [this](std::string_view enclosing) {
            return unreadableSet_.count(enclosing) || notEnteredSet_.count(enclosing);
        }))
        return true;
    // A directory not entered is unseen itself, not only its contents.
    return notEnteredSet_.count(place) != 0;
}

std::string SyncSession::RelativeFileName(SyncSide side, std::string_view fullPath) const
{
    if (const auto place = root(side).placeOf(platform::Path(std::string(fullPath))))
        return place->text();
    return std::string(fullPath);
}

void SyncSession::AddOperation(OperationList& list, Operation operation, std::string_view fileName)
{
    list.push_back(SyncOperation{operation, std::string(fileName), false});
}

bool SyncSession::BuildOperationLists(core::Progress& progress)
{
    // Matching goes through each table's name index (first position of a
    // name), so the work grows with m + n; hinted with the place after the
    // last match, as both tables list like trees in the same order. Newer means a later ModifiedText;
    // whole local seconds order exactly as those texts do. The lists are
    // built here and handed in when complete.
    OperationList lists[2];
    for (const SyncSide side : kBothSides) {
        const SyncSide other = otherSide(side);
        const FileTable& source = table(side);
        const FileTable& target = table(other);
        const std::size_t count = source.fileCount();
        const char* format = side == SyncSide::One ? kPhaseOneText : kPhaseTwoText;
        core::Throttle throttle(progressIntervalMs_);
        const bool anyUnreadable = !unreadableSet_.empty() || !notEnteredSet_.empty();
        const bool volumesInside = !volumesBelow_[0].empty() || !volumesBelow_[1].empty();
        std::size_t next = 0; // where the target's match of the next name likely is
        for (std::size_t i = 0; i < count; ++i) {
            if (throttle.due() || i + 1 == count) {
                progress.setStatus(phaseText(format, i + 1, count));
                progress.setFraction((side == SyncSide::One ? 0 : table(SyncSide::One).fileCount()) + i + 1,
                                     table(SyncSide::One).fileCount() + table(SyncSide::Two).fileCount());
                progress.processEvents();
                if (progress.stopRequested())
                    return false;
            } else if (i % kStopCheckInterval == 0 && progress.stopRequested()) {
                return false;
            }
            const std::string_view name = source.name(i);
            if (anyUnreadable && insideUnreadable(name))
                continue;
            const std::optional<std::size_t> j = foldSome_ ? partnerOf(side, i) : target.firstPosition(name, next);
            if (j) {
                next = *j + 1;
                // Newer as both volumes can hold the times (sync/TimeRules.h);
                // below a volume mounted inside a root, that volume's rules.
                const bool inner = volumesInside;
                const platform::VolumeTraits& from = inner ? volumeTraitsAt(side, name) : traits_[sideIndex(side)];
                const platform::VolumeTraits& to =
                    inner ? volumeTraitsAt(other, target.name(*j)) : traits_[sideIndex(other)];
                if (sourceIsNewer(source.modifiedSeconds(i), target.modifiedSeconds(*j), from, to, zoneOffset_))
                    AddOperation(lists[sideIndex(side)], Operation::Update, name);
                if ((source.attributes(i) ^ target.attributes(*j)) & (inner ? keptByBoth(from, to) : attributeMask_))
                    AddOperation(lists[sideIndex(side)], Operation::Attributes, name);
            } else {
                AddOperation(lists[sideIndex(side)], Operation::New, name);
                AddOperation(lists[sideIndex(other)], Operation::Delete, name);
            }
        }
    }
    handInLists(lists);
    progress.setFraction(0, 0);
    progress.setStatus("准备就绪。");
    return true;
}

} // namespace tessarin::sync
