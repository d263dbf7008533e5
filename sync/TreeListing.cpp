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
    TreeWalk(platform::FileSystem& fs, const std::string& rootText, const ListingSettings& settings,
             const core::Progress& stopSource, EventPump pump)
        : fs_(fs), root_(rootText), settings_(settings), stopSource_(stopSource), pump_(pump)
    {}

    TreeListing run()
    {
        const std::string start = platform::rootDirectory(root_).bytes();
        if (const auto rootId = fs_.directoryId(start)) {
            // A root on a pseudo file system is not read: like a directory that
            // cannot be read, it counts as unseen, so nothing is taken as missing.
            if (fs_.isPseudoFileSystem(start)) {
                out_.unreadable.push_back("");
            } else {
                entered_.insert(*rootId);
                ListDirectoryTree(start, *rootId, fs_.volumeTraits(start));
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
    // directory is a full path ending in "/"; traits: what its volume keeps.
    void ListDirectoryTree(const std::string& directory, platform::FileId id, const platform::VolumeTraits& traits)
    {
        if (out_.stopped || (out_.stopped = stopSource_.stopRequested()))
            return;
        platform::DirectoryContents contents;
        // A directory that cannot be read contributes nothing; the walk goes on,
        // and what lies inside it is left out of the comparison on both sides.
        if (!fs_.readDirectory(directory, settings_.subFolders, "*.*", contents)) {
            out_.unreadable.push_back(directory.substr(root_.size(), directory.size() - root_.size() - 1));
            return;
        }
        if (pump_.throttle && pump_.throttle->due())
            pump_.progress->processEvents();

        // Subdirectory pass: each subdirectory's tree complete before the next.
        for (const platform::DirEntry& sub : contents.directories) {
            std::string path = directory + sub.name;
            if (sub.othersLink && leadsOut(path))
                continue;
            out_.holdsOtherRoot |= settings_.otherRoot == sub.id;
            // A directory reached again (a link leading back, or two links to one
            // place) would list the same files twice or for ever, and a pseudo
            // file system has endless files: neither is entered. Nothing at or
            // under such a path counts as seen, so its counterpart on the other
            // side is neither deleted nor removed. Only a change of device can
            // lead onto another file system: then, and only then, it is asked.
            if (!entered_.insert(sub.id).second || (sub.id.device != id.device && fs_.isPseudoFileSystem(path + "/"))) {
                out_.notEntered.push_back(path.substr(root_.size()));
                continue;
            }
            out_.table.Directories.push_back(path.substr(root_.size()));
            path += '/';
            // Another volume: what lies there follows its rules, not the root's.
            platform::VolumeTraits inner = traits;
            if (sub.id.device != id.device && !((inner = fs_.volumeTraits(path)) == traits))
                out_.volumes.emplace_back(out_.table.Directories.back(), inner);
            ListDirectoryTree(path, sub.id, inner);
            if (out_.stopped)
                return;
        }

        // File pass: the directory's own files, after those of its subdirectories.
        std::string name = directory.substr(root_.size() + 1);
        const std::size_t prefixLength = name.size();
        for (const platform::DirEntry& file : contents.files) {
            name.resize(prefixLength);
            name += file.name;
            if (file.othersLink && leadsOut(directory + file.name))
                continue;
            out_.table.addFile(name, file.attributes, file.size, localSeconds(file.modified, settings_.zoneOffset));
        }
    }

    // Another user's link that leads out of the root is not followed: read
    // by whoever runs the compare, what it leads to would be copied where
    // that user reads it. Only links of others are asked, so an ordinary
    // entry costs nothing more.
    bool leadsOut(const std::string& path)
    {
        if (!fs_.leadsOutThroughOthersLink(platform::TreePath{root_, path.substr(root_.size())}))
            return false;
        out_.othersLinks.push_back(path.substr(root_.size()));
        return true;
    }

    platform::FileSystem& fs_;
    const std::string root_;
    const ListingSettings settings_;
    const core::Progress& stopSource_;
    const EventPump pump_;
    // Every directory entered: one reached again (a link fanning out, or
    // leading back) is not entered twice.
    std::unordered_set<platform::FileId, FileIdHash> entered_;
    TreeListing out_;
};

} // namespace

TreeListing listTree(platform::FileSystem& fs, const std::string& rootText, const ListingSettings& settings,
                     const core::Progress& stopSource, EventPump pump)
{
    return TreeWalk(fs, rootText, settings, stopSource, pump).run();
}

} // namespace tessarin::sync
