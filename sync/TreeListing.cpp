#include "sync/TreeListing.h"

#include <unordered_set>

#include "core/Throttle.h"
#include "platform/Path.h"
#include "sync/Texts.h"

namespace tessarin::sync {

namespace {

struct FileIdHash {
    std::size_t operator()(const platform::FileId& id) const
    {
        return std::hash<std::uint64_t>()(id.inode * 0x9e3779b97f4a7c15ull ^ id.device);
    }
};

// One walk's state: everything it writes is its own.
class TreeWalk {
public:
    TreeWalk(platform::FileSystem& fs, const platform::Root& root, const ListingSettings& settings,
             const core::Progress& stopSource, EventPump pump)
        : fs_(fs), root_(root), settings_(settings), stopSource_(stopSource), pump_(pump)
    {}

    TreeListing run()
    {
        const std::string start = root_.directory().bytes();
        if (const auto rootId = fs_.directoryId(start)) {
            // A root on a pseudo file system is not read: like a directory that
            // cannot be read, it counts as unseen, so nothing is taken as missing.
            if (fs_.isPseudoFileSystem(start)) {
                out_.unreadable.emplace_back();
            } else {
                entered_.insert(*rootId);
                ListDirectoryTree(platform::RelativePath(), *rootId, fs_.volumeTraits(start));
            }
        }
        if (!out_.stopped) {
            out_.table.buildNameIndex();
            if (settings_.foldCase)
                out_.table.buildFoldedIndex();
        }
        return std::move(out_);
    }

private:
    // traits: what the volume of directory keeps.
    void ListDirectoryTree(const platform::RelativePath& directory, platform::FileId id,
                           const platform::VolumeTraits& traits)
    {
        if (out_.stopped || (out_.stopped = stopSource_.stopRequested()))
            return;
        // A directory that cannot be read contributes nothing, whatever the
        // cause; the walk goes on, and what lies inside it is left out of the
        // comparison on both sides.
        const platform::Result<platform::DirectoryContents> read =
            fs_.readDirectory((root_ / directory).asDirectory(), settings_.subFolders, "*.*");
        if (!read) {
            out_.unreadable.push_back(directory);
            return;
        }
        const platform::DirectoryContents& contents = *read;
        if (pump_.throttle && pump_.throttle->due())
            pump_.progress->processEvents();

        // Subdirectory pass: each subdirectory's tree complete before the next.
        for (const platform::DirEntry& sub : contents.directories) {
            platform::RelativePath place = directory / sub.name;
            if (sub.othersLink && leadsOut(place))
                continue;
            out_.holdsOtherRoot |= settings_.otherRoot == sub.id;
            // A directory reached again (a link leading back, or two links to one
            // place) would list the same files twice or for ever, and a pseudo
            // file system has endless files: neither is entered. Nothing at or
            // under such a path counts as seen, so its counterpart on the other
            // side is neither deleted nor removed. Only a change of device can
            // lead onto another file system: then, and only then, it is asked.
            const bool otherDevice = sub.id.device != id.device;
            if (!entered_.insert(sub.id).second ||
                (otherDevice && fs_.isPseudoFileSystem((root_ / place).asDirectory()))) {
                out_.notEntered.push_back(std::move(place));
                continue;
            }
            // Another volume: what lies there follows its rules, not the root's.
            platform::VolumeTraits inner = traits;
            if (otherDevice && !((inner = fs_.volumeTraits((root_ / place).asDirectory())) == traits))
                out_.volumes.emplace_back(place, inner);
            out_.table.Directories.push_back(place);
            ListDirectoryTree(place, sub.id, inner);
            if (out_.stopped)
                return;
        }

        // File pass: the directory's own files, after those of its subdirectories.
        for (const platform::DirEntry& file : contents.files) {
            if (file.othersLink && leadsOut(directory / file.name))
                continue;
            out_.table.addFile(directory, file.name, file.attributes, file.size,
                               localSeconds(file.modified, settings_.zoneOffset));
        }
    }

    // Another user's link that leads out of the root is not followed: read
    // by whoever runs the compare, what it leads to would be copied where
    // that user reads it. Only links of others are asked, so an ordinary
    // entry costs nothing more.
    bool leadsOut(const platform::RelativePath& place)
    {
        if (!fs_.leadsOutThroughOthersLink(platform::TreePath{root_, place}))
            return false;
        out_.othersLinks.push_back(place);
        return true;
    }

    platform::FileSystem& fs_;
    const platform::Root root_;
    const ListingSettings settings_;
    const core::Progress& stopSource_;
    const EventPump pump_;
    // Every directory entered: one reached again (a link fanning out, or
    // leading back) is not entered twice.
    std::unordered_set<platform::FileId, FileIdHash> entered_;
    TreeListing out_;
};

} // namespace

TreeListing listTree(platform::FileSystem& fs, const platform::Root& root, const ListingSettings& settings,
                     const core::Progress& stopSource, EventPump pump)
{
    return TreeWalk(fs, root, settings, stopSource, pump).run();
}

} // namespace tessarin::sync
