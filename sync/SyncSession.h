#pragma once
#include <atomic>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/Progress.h"
#include "platform/FileSystem.h"
#include "sync/FileTable.h"
#include "sync/Operation.h"
#include "sync/SessionObserver.h"
#include "sync/SyncOptions.h"
#include "sync/TreeListing.h"

namespace tessarin::sync {

// The data of the main window's synchronisation: both sides' FileTables, both
// operation lists, and the root texts the last compare ran on. The compare
// command empties all of it, builds each table and list apart, and hands each
// in complete; nothing else adds to it. An observer hears of every hand-over.
class SyncSession {
public:
    explicit SyncSession(platform::FileSystem& fileSystem);

    platform::FileSystem& fileSystem() { return fs_; }

    // Who shows the tables and lists; nullptr: nobody. Set it while no compare runs.
    void setObserver(SessionObserver* observer) { observer_ = observer ? observer : &silentObserver_; }

    FileTable& table(SyncSide side) { return tables_[sideIndex(side)]; }
    const FileTable& table(SyncSide side) const { return tables_[sideIndex(side)]; }
    OperationList& list(SyncSide side) { return lists_[sideIndex(side)]; }
    const OperationList& list(SyncSide side) const { return lists_[sideIndex(side)]; }

    // The roots of the last compare.
    const platform::Root& root(SyncSide side) const { return roots_[sideIndex(side)]; }

    // True while a compare command or a synchronisation runs (both process
    // events, so a click can arrive meanwhile); a command started then is not begun.
    bool busy() const { return busy_; }

    // True while a compare command runs (on its own, or as the refresh at the
    // end of a synchronisation): the time a stop request is heard.
    bool comparing() const { return comparing_.load(); }

    // Marks the session busy for the life of one command, also when an error
    // passes through. Make one only when busy() is false.
    class BusyScope {
    public:
        explicit BusyScope(SyncSession& session) : flag_(session.busy_) { flag_ = true; }
        ~BusyScope() { flag_ = false; }
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        bool& flag_;
    };

    // The compare command on two root texts (made from the path fields by
    // platform::rootTextOf). Returns false, with nothing changed, when a
    // compare or synchronisation runs already.
    bool CompareDirectories(std::string_view rootText1, std::string_view rootText2, const SyncOptions& options,
                            core::Progress& progress);

    // Directories the last compare could not read (or not read to the end),
    // below the root of a side; the root itself among them when it could not.
    const std::vector<platform::RelativePath>& unreadable(SyncSide side) const { return unreadable_[sideIndex(side)]; }

    // Links of another user's that the last compare did not follow, since
    // they lead out of a side's root; relative as unreadable(). Nothing at
    // or under them was seen.
    const std::vector<platform::RelativePath>& othersLinks(SyncSide side) const
    {
        return othersLinks_[sideIndex(side)];
    }

    // Whether a place lies inside a directory that could not be read on either
    // side. place is the text of a path relative to the roots ("a/b" for a
    // directory, "a/b.txt" for a file; a table's name is one). Nothing there was seen on that side,
    // so nothing there is compared, copied, deleted, created or removed: a
    // source directory that cannot be read must not empty its target's copy.
    // A directory the walk did not enter (reached twice, or a pseudo file
    // system) counts so too, and so does its own path.
    bool insideUnreadable(std::string_view place) const;

    // Name of a file found at fullPath, relative to the root of a side
    // (platform::Root::placeOf); a path that does not lie beneath that root
    // is returned whole.
    std::string RelativeFileName(SyncSide side, std::string_view fullPath) const;

    // Whether the last compare was stopped before its end (Esc, closing the
    // window, an interrupt). Its tables and lists are then empty.
    bool lastCompareStopped() const { return stopped_; }

    // What the last compare knew of each root's volume, and what it decided
    // from both: names matched without regard to case, the attribute bits
    // compared, and the seconds within which two times count as equal.
    const platform::VolumeTraits& volumeTraits(SyncSide side) const { return traits_[sideIndex(side)]; }
    bool namesFoldCase() const { return foldCase_; }
    std::uint32_t comparedAttributes() const { return attributeMask_; }
    // The same for one file (a name of side's, or the other side's partner
    // of it): below a directory where another volume is mounted inside a
    // root, what that volume keeps counts.
    std::uint32_t comparedAttributes(std::string_view name) const;
    // What the volume holding side's file of this name keeps.
    const platform::VolumeTraits& volumeTraitsAt(SyncSide side, std::string_view name) const;
    int timeResolutionSeconds() const { return timeResolution_; }

    // Whether the last compare matched any names without regard to case:
    // everywhere (namesFoldCase()), or below a directory where a volume that
    // ignores case is mounted inside a root. Then two names may be one file
    // on disk, and the executor checks each file's identity.
    bool mayJoinNames() const { return foldSome_; }

    // The key a name is matched by in the last compare: the name itself, or
    // its folded case where names fold (from the directory on where a
    // volume that ignores case begins). For the directory pass and the
    // executor, which must pair names as the compare did. A name may be a
    // file's or a directory's.
    std::string matchKey(std::string_view name) const;

    // The name, as side holds it, of the file the last compare paired with
    // name: on a volume that ignores case, README.TXT for Readme.txt. A copy
    // or an attribute change of that pair goes onto this name, so that the
    // side keeps one file, not two that differ in case. name itself when
    // names are matched byte for byte or side holds no partner.
    std::string pairedName(SyncSide side, std::string_view name) const;

    // The zone offset the last compare's times were made local with.
    std::int64_t zoneOffset() const { return zoneOffset_; }

    // Whether the last compare's walk of side entered the other side's root:
    // the other root lies inside this one, however it was reached (a bind
    // mount of a folder inside counts).
    bool holdsOtherRoot(SyncSide side) const { return holdsOtherRoot_[sideIndex(side)]; }

    // Interval of the status and event throttle, in milliseconds (0: every update).
    void setProgressInterval(std::int64_t ms) { progressIntervalMs_ = ms; }
    std::int64_t progressInterval() const { return progressIntervalMs_; }

private:
    void ListBothDirectories(const SyncOptions& options, core::Progress& progress);
    void decideMatching();
    bool BuildOperationLists(core::Progress& progress);
    // Appends one unchecked row to a list being built.
    static void AddOperation(OperationList& list, Operation operation, std::string_view fileName);
    // Swaps empty tables and lists in (the old ones are released at once),
    // and forgets what the walk could not read or enter.
    void emptyAll();
    // Hands in a side's finished listing.
    void handInSide(SyncSide side, TreeListing&& listing);
    void handInLists(OperationList (&lists)[2]);
    // Names fold below the directories in foldingSet_: the folded index of
    // both tables, and which file of the other side each file is paired with.
    void prepareFoldedMatching();
    void pairFoldedNames();
    std::optional<std::size_t> partnerOf(SyncSide side, std::size_t position) const;
    void appendMatchKey(std::string_view name, std::string& out) const;
    static void appendMatchKeyOf(const void* session, std::string_view name, std::string& out);
    void endStopped(core::Progress& progress);

    platform::FileSystem& fs_;
    SessionObserver silentObserver_;
    SessionObserver* observer_ = &silentObserver_;
    FileTable tables_[2];
    OperationList lists_[2];
    platform::Root roots_[2];
    std::vector<platform::RelativePath> unreadable_[2];
    // Directories not entered (reached a second time, or on a pseudo file
    // system, or another user's link leading out): nothing at or under them
    // was seen.
    std::vector<platform::RelativePath> notEntered_[2];
    std::vector<platform::RelativePath> othersLinks_[2];
    std::unordered_set<std::string_view> unreadableSet_; // views of both sides' unreadable_
    std::unordered_set<std::string_view> notEnteredSet_; // views of both sides' notEntered_
    platform::VolumeTraits traits_[2];
    bool foldCase_ = false;
    bool foldSome_ = false;
    // Per side, the directories (by their relative text) where a volume of
    // other traits begins below the root, and what it keeps.
    std::unordered_map<std::string, platform::VolumeTraits> volumesBelow_[2];
    // The directories below which names fold: those of both sides whose
    // volume ignores case (views of volumesBelow_'s keys).
    std::unordered_set<std::string_view> foldingSet_;
    // Where names fold: the other side's position of each file's partner,
    // or kNoPartner. Names are unique on each side, so exact twins pair
    // first, then each file in order with the first file of the other side
    // whose folded name is the same, while that one is free.
    static constexpr std::uint32_t kNoPartner = 0xffffffffu;
    std::vector<std::uint32_t> partners_[2];
    std::int64_t zoneOffset_ = 0;
    bool holdsOtherRoot_[2] = {false, false};
    std::uint32_t attributeMask_ = ~std::uint32_t{0};
    int timeResolution_ = 1;
    bool stopped_ = false;
    bool busy_ = false;
    // Read by the window while a job thread compares.
    std::atomic<bool> comparing_{false};
    std::int64_t progressIntervalMs_ = 50;
};

} // namespace tessarin::sync
