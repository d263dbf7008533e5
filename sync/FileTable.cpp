#include "sync/FileTable.h"

#include "sync/CaseFold.h"
#include "sync/Texts.h"

namespace tessarin::sync {

void FileTable::clear()
{
    index_.clear();
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
    index_.swap(other.index_);
    swap(twins_, other.twins_);
    swap(foldedNames_, other.foldedNames_);
    swap(foldedEnds_, other.foldedEnds_);
    foldedIndex_.swap(other.foldedIndex_);
    swap(fold_, other.fold_);
    swap(foldContext_, other.foldContext_);
    swap(Directories, other.Directories);
}

void FileTable::addFile(const platform::RelativePath& directory, std::string_view fileName, std::uint32_t attributes,
                        std::uint64_t size, std::int64_t modifiedSeconds)
{
    // An index knows only the files it was built over.
    index_.clear();
    if (foldedIndex_.built())
        dropFoldedIndex();
    // The name is the place's text, made as RelativePath makes it, without
    // a string of its own for each of a million files.
    const std::string& prefix = directory.text();
    const std::size_t length = prefix.size() + (prefix.empty() ? 0 : 1) + fileName.size();
    files_.push_back(Entry{names_.size(), static_cast<std::uint32_t>(length), attributes, size, modifiedSeconds});
    names_.insert(names_.end(), prefix.begin(), prefix.end());
    if (!prefix.empty())
        names_.push_back('/');
    names_.insert(names_.end(), fileName.begin(), fileName.end());
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
    twins_ = index_.build(files_.size(), [this](std::size_t k) { return name(k); });
}

void FileTable::dropFoldedIndex()
{
    foldedIndex_.clear();
    foldedNames_ = {};
    foldedEnds_ = {};
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
    foldedEnds_.reserve(files_.size());
    foldedNames_.reserve(names_.size());
    std::string folded;
    for (std::size_t k = 0; k < files_.size(); ++k) {
        folded.clear();
        appendFolded(name(k), folded);
        foldedNames_.insert(foldedNames_.end(), folded.begin(), folded.end());
        foldedEnds_.push_back(foldedNames_.size());
    }
    foldedIndex_.build(files_.size(), [this](std::size_t k) { return foldedName(k); });
}

std::string_view FileTable::foldedName(std::size_t k) const
{
    const std::uint64_t start = k == 0 ? 0 : foldedEnds_[k - 1];
    return std::string_view(foldedNames_.data() + start, foldedEnds_[k] - start);
}

std::optional<std::size_t> FileTable::firstFoldedPosition(std::string_view folded) const
{
    if (foldedIndex_.built())
        return foldedIndex_.find(folded, [this](std::size_t k) { return foldedName(k); });
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
    if (index_.built())
        return index_.find(wanted, [this](std::size_t k) { return name(k); });
    for (std::size_t k = 0; k < files_.size(); ++k)
        if (name(k) == wanted)
            return k;
    return std::nullopt;
}

std::optional<std::size_t> FileTable::firstPosition(std::string_view wanted, std::size_t hint) const
{
    if (index_.built() && !twins_ && hint < files_.size() && name(hint) == wanted)
        return hint;
    return firstPosition(wanted);
}

} // namespace tessarin::sync
