#include "sync/FileTable.h"

#include "sync/CaseFold.h"
#include "sync/Texts.h"

namespace tessarin::sync {

void FileTable::clear()
{
    // A new map: clear() would keep the bucket array of the last listing.
    index_ = {};
    indexed_ = false;
    dropFoldedIndex();
    files_.clear();
    files_.shrink_to_fit();
    names_.clear();
    names_.shrink_to_fit();
    Directories.clear();
}

void FileTable::swap(FileTable& other) noexcept
{
    using std::swap;
    swap(files_, other.files_);
    swap(names_, other.names_);
    swap(index_, other.index_);
    swap(indexed_, other.indexed_);
    swap(foldedNames_, other.foldedNames_);
    swap(foldedIndex_, other.foldedIndex_);
    swap(foldIndexed_, other.foldIndexed_);
    swap(fold_, other.fold_);
    swap(foldContext_, other.foldContext_);
    swap(Directories, other.Directories);
}

void FileTable::addFile(std::string_view name, std::uint32_t attributes, std::uint64_t size,
                        std::int64_t modifiedSeconds)
{
    // The index holds views into names_; growing names_ would move them.
    // Clearing an emptied map still wipes its whole bucket array: only once.
    if (indexed_) {
        index_ = {};
        indexed_ = false;
    }
    if (foldIndexed_)
        dropFoldedIndex();
    files_.push_back(Entry{names_.size(), static_cast<std::uint32_t>(name.size()), attributes, size, modifiedSeconds});
    names_.insert(names_.end(), name.begin(), name.end());
}

std::string_view FileTable::name(std::size_t k) const
{
    const Entry& e = files_[k];
    return std::string_view(names_.data() + e.nameOffset, e.nameLength);
}

std::string FileTable::sizeText(std::size_t k) const
{
    return FormatFileSize(files_[k].size);
}

std::string FileTable::modifiedText(std::size_t k) const
{
    return modifiedTimeText(files_[k].modifiedSeconds);
}

void FileTable::buildNameIndex()
{
    index_.clear();
    index_.reserve(files_.size());
    for (std::size_t k = 0; k < files_.size(); ++k)
        index_.emplace(name(k), static_cast<std::uint32_t>(k)); // keeps the first of equal names
    indexed_ = true;
}

void FileTable::dropFoldedIndex()
{
    foldedIndex_ = {};
    foldedNames_.clear();
    foldedNames_.shrink_to_fit();
    foldIndexed_ = false;
}

void FileTable::appendFolded(std::string_view name, std::string& out) const
{
    if (fold_)
        fold_(foldContext_, name, out);
    else
        appendFoldedCase(name, out);
}

void FileTable::buildFoldedIndex(Fold fold, const void* context)
{
    dropFoldedIndex();
    fold_ = fold;
    foldContext_ = context;
    // All names folded first: the index keeps views into foldedNames_.
    std::vector<std::uint64_t> ends;
    ends.reserve(files_.size());
    foldedNames_.reserve(names_.size());
    std::string folded;
    for (std::size_t k = 0; k < files_.size(); ++k) {
        folded.clear();
        appendFolded(name(k), folded);
        foldedNames_.insert(foldedNames_.end(), folded.begin(), folded.end());
        ends.push_back(foldedNames_.size());
    }
    foldedIndex_.reserve(files_.size());
    std::uint64_t start = 0;
    for (std::size_t k = 0; k < files_.size(); ++k) {
        foldedIndex_.emplace(std::string_view(foldedNames_.data() + start, ends[k] - start),
                             static_cast<std::uint32_t>(k)); // keeps the first
        start = ends[k];
    }
    foldIndexed_ = true;
}

std::optional<std::size_t> FileTable::firstFoldedPosition(std::string_view folded) const
{
    if (foldIndexed_) {
        const auto it = foldedIndex_.find(folded);
        if (it == foldedIndex_.end())
            return std::nullopt;
        return it->second;
    }
    std::string each;
    for (std::size_t k = 0; k < files_.size(); ++k) {
        each.clear();
        appendFolded(name(k), each);
        if (each == folded)
            return k;
    }
    return std::nullopt;
}

std::optional<std::size_t> FileTable::firstPosition(std::string_view wanted) const
{
    if (indexed_) {
        const auto it = index_.find(wanted);
        if (it == index_.end())
            return std::nullopt;
        return it->second;
    }
    for (std::size_t k = 0; k < files_.size(); ++k)
        if (name(k) == wanted)
            return k;
    return std::nullopt;
}

} // namespace tessarin::sync
