#include "dupfind/SameFileSearch.h"

#include <cstring>
#include <memory>

#include "platform/Path.h"

namespace tessarin::dupfind {

namespace {

constexpr std::string_view kSearchingPrefix = "正在搜索 ";

// Marks a search as running for its whole life, also when an error passes,
// and shows the start button again at its end.
class RunningGuard {
public:
    RunningGuard(std::atomic<bool>& flag, SearchView& view) : flag_(flag), view_(view)
    {
        flag_ = true;
        view_.showRunning(true);
    }
    ~RunningGuard()
    {
        flag_ = false;
        view_.showRunning(false);
    }
    RunningGuard(const RunningGuard&) = delete;
    RunningGuard& operator=(const RunningGuard&) = delete;

private:
    std::atomic<bool>& flag_;
    SearchView& view_;
};

std::pair<std::uint64_t, std::uint64_t> key(const platform::FileId& id)
{
    return {id.device, id.inode};
}

} // namespace

std::string extensionMaskFor(std::string_view chosenFile)
{
    const std::size_t dot = chosenFile.rfind('.');
    if (dot == std::string_view::npos)
        return "*.*";
    return "*" + std::string(chosenFile.substr(dot));
}

SameFileSearch::SameFileSearch(platform::FileSystem& fileSystem, platform::FileReader& reader, core::Progress& progress,
                               core::Prompt& prompt, SearchView& view)
    : fs_(fileSystem), reader_(reader), progress_(progress), prompt_(&prompt), view_(view)
{}

void SameFileSearch::Button2Click(const std::string& chosenText, int selected,
                                  const std::vector<std::string>& rangeEntries)
{
    if (running_) {
        requestStop();
        return;
    }
    if (chosenText.empty() || selected < 0 || static_cast<std::size_t>(selected) >= rangeEntries.size())
        return;
    std::vector<std::string> roots;
    if (selected == 0)
        roots.assign(rangeEntries.begin() + 1, rangeEntries.end());
    else
        roots.push_back(rangeEntries[static_cast<std::size_t>(selected)]);
    Search(chosenText, roots);
}

void SameFileSearch::requestStop()
{
    // Once a stop is requested the search only unwinds: the button shows
    // "开始搜索" at once, and a start click meanwhile is not begun on top of it.
    if (running_ && !stopRequested_) {
        stopRequested_ = true;
        view_.showRunning(false);
    }
}

bool SameFileSearch::Search(const std::string& chosenText, const std::vector<std::string>& roots)
{
    if (running_ || chosenText.empty())
        return false;
    stopRequested_ = false;
    filesSearched_ = 0;
    RunningGuard guard(running_, view_);
    progress_.setStatus("启动搜索...");
    ChosenFile = chosenText;
    if (!openChosenFile()) {
        // An unreadable file would match every unreadable and every empty
        // file: no search is made.
        progress_.setStatus("准备就绪。");
        view_.showRunning(false); // no search runs while the notice is read
        prompt_->tell("无法读取您要查找的文件，搜索没有开始：\n" + ChosenFile, "提示", core::MessageIcon::Warning);
        return false;
    }
    ExtensionMask = extensionMaskFor(ChosenFile);
    results_.clear();
    view_.resultsCleared();

    throttle_.emplace(progressIntervalMs_);
    entered_.clear();
    listed_.clear();
    for (const std::string& root : roots)
        searchRoot(root);
    throttle_.reset();
    entered_.clear();
    listed_.clear();
    progress_.setStatus("搜索完毕。");
    return true;
}

bool SameFileSearch::openChosenFile()
{
    const std::unique_ptr<platform::InputFile> file = reader_.openForReading(ChosenFile);
    if (!file)
        return false;
    // Read no further than the size it reports: a file that streams past it
    // (as files of /proc do) has no content that a copy could match.
    const auto digest = md5::tryDigestFile(*file, file->size());
    if (!digest)
        return false;
    chosenDigest_ = *digest;
    ChosenDigest = md5::DigestToHex(*digest);
    chosenId_ = file->id();
    chosenSize_ = file->size();
    return true;
}

void SameFileSearch::searchRoot(std::string root)
{
    // The empty text, as a root text, stands for "/".
    SearchDirectory(root.empty() ? std::string("/") : platform::Path(std::move(root)).asDirectory());
}

bool SameFileSearch::entryDue()
{
    return !throttle_ || throttle_->due();
}

void SameFileSearch::SearchDirectory(const std::string& directory)
{
    const auto rootId = fs_.directoryId(directory);
    // A root on a pseudo file system (/proc, /sys, or a link into one) holds
    // endless files and no copies.
    if (!rootId || !entered_.insert(key(*rootId)).second || fs_.isPseudoFileSystem(directory))
        return;
    // One drive's search stays on its own file system: "/" never walks
    // /proc or a network mount, and no file system is searched twice.
    rootDevice_ = rootId->device;
    searchTree(directory);
}

bool SameFileSearch::mayEnter(const platform::DirEntry& sub)
{
    // Another file system is not entered (a directory root too keeps to its
    // own): pseudo file systems, mounts and links into them stay out. Each
    // directory is entered once: a link back up the tree, or a second path to
    // a tree already searched, leads nowhere new. Another user's link is not
    // followed: run by root, the search would offer for deletion the files
    // of whatever that user pointed it at.
    return !sub.othersLink && sub.id.device == rootDevice_ && entered_.insert(key(sub.id)).second;
}

void SameFileSearch::searchTree(const std::string& directory)
{
    // A directory that cannot be read contributes nothing.
    const platform::Result<platform::DirectoryContents> read = fs_.readDirectory(directory, true, "*.*");
    if (!read)
        return;
    const platform::DirectoryContents& contents = *read;

    // Directory pass: the whole tree below each subdirectory first.
    for (const platform::DirEntry& sub : contents.directories) {
        if (stopRequested_)
            break;
        const bool due = entryDue();
        if (mayEnter(sub)) {
            const std::string path = (platform::Path(directory) / sub.name).asDirectory();
            if (due)
                progress_.setStatus(std::string(kSearchingPrefix) + path);
            searchTree(path);
        }
        if (due)
            progress_.processEvents();
    }

    // File pass, with the option as it stands now.
    const std::string mask = view_.sameExtensionOnly() ? ExtensionMask : "*.*";
    for (const platform::DirEntry& file : contents.files) {
        if (stopRequested_)
            break;
        if (!platform::matchesMask(file.name, mask))
            continue;
        ++filesSearched_;
        const bool due = entryDue();
        if (due)
            progress_.setStatus(std::string(kSearchingPrefix) + directory + file.name);
        if (isCopy(directory, file)) {
            listed_.insert(key(file.id));
            results_.push_back(FoundFile{file.name, directory, false});
            view_.resultAdded();
        }
        if (due)
            progress_.processEvents();
    }
}

bool SameFileSearch::isCopy(const std::string& directory, const platform::DirEntry& file)
{
    // Only a file of the chosen size can hold the same bytes; another user's
    // link is not followed (mayEnter).
    if (file.othersLink || file.size != chosenSize_)
        return false;
    // The chosen file itself, under whatever name (a hard link, a link to
    // it, another spelling of its path): deleting it would delete the file.
    if (file.id == chosenId_ || listed_.count(key(file.id)))
        return false;
    const std::string path = (platform::Path(directory) / file.name).bytes();
    // A link to a file is another name of it: deleting the link would leave
    // the copy in place. The copy is listed under its own name where the
    // search reaches it.
    if (fs_.entryKind(platform::TreePath{platform::Root(directory), platform::RelativePath::fromText(file.name)}) ==
        platform::EntryKind::Link)
        return false;
    const auto digest = md5::tryDigestFile(reader_, path, chosenSize_);
    if (!digest || *digest != chosenDigest_)
        return false; // an unreadable file is never a copy
    // A listed row is one click from deletion, and digests can be made to
    // collide: the bytes decide.
    return sameBytesAsChosen(path);
}

bool SameFileSearch::sameBytesAsChosen(const std::string& path)
{
    const auto chosen = reader_.openForReading(ChosenFile);
    const auto candidate = reader_.openForReading(path);
    if (!chosen || !candidate || chosen->id() != chosenId_)
        return false;
    constexpr std::size_t kBlock = 64 * 1024;
    std::vector<std::uint8_t> a(kBlock), b(kBlock);
    // Neither is read past the chosen size and one byte: content beyond the
    // size is no copy, and a file that streams without end ends the loop.
    std::uint64_t total = 0;
    for (;;) {
        const std::uint64_t allowed = chosenSize_ - total + 1;
        const std::size_t want = allowed < kBlock ? static_cast<std::size_t>(allowed) : kBlock;
        const std::int64_t na = chosen->read(a.data(), want);
        const std::int64_t nb = candidate->read(b.data(), want);
        if (na < 0 || nb < 0 || na != nb)
            return false;
        if (std::memcmp(a.data(), b.data(), static_cast<std::size_t>(na)) != 0)
            return false;
        total += static_cast<std::uint64_t>(na);
        if (total > chosenSize_)
            return false;
        if (static_cast<std::size_t>(na) < want)
            return true;
    }
}

} // namespace tessarin::dupfind
