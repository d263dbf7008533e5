#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/TreePath.h"
#include "sync/NameIndex.h"

namespace tessarin::sync {

// One side's listing: Files (position k is row k of the side's file list) and
// Directories (parents before children), all below the side's root. A file's
// name is the text of its RelativePath ("a/b.txt").
//
// A table may hold a million files, so an entry keeps its name in one shared
// byte store and its size and time as numbers; the display texts are made on
// demand. The texts are exactly those the listing would have stored.
//
// Moving or swapping a table keeps its indexes valid: they hold positions,
// and the names are read from the table's own byte stores.
class FileTable {
public:
    void clear();
    void swap(FileTable& other) noexcept;

    // Files.
    std::size_t fileCount() const { return files_.size(); }
    // A file of this name in directory.
    void addFile(const platform::RelativePath& directory, std::string_view fileName, std::uint32_t attributes,
                 std::uint64_t size, std::int64_t modifiedSeconds);
    std::string_view name(std::size_t k) const;
    std::uint32_t attributes(std::size_t k) const { return files_[k].attributes; }
    std::uint64_t size(std::size_t k) const { return files_[k].size; }
    // Whole local seconds; ModifiedText is its "yyyy-mm-dd hh:mm:ss" form.
    std::int64_t modifiedSeconds(std::size_t k) const { return files_[k].modifiedSeconds; }
    std::string sizeText(std::size_t k) const;
    std::string modifiedText(std::size_t k) const;

    // Position of the first file with exactly this name (byte for byte).
    // Built once the listing is complete; before that, a linear search.
    std::optional<std::size_t> firstPosition(std::string_view name) const;
    // The same, trying the position hint first: two listings of like trees
    // hold most names in the same order, so a caller that walks one table
    // and hints the place after the last match reads the other in order,
    // without a look into the index. Where the table holds a name twice,
    // the hint is not trusted.
    std::optional<std::size_t> firstPosition(std::string_view name, std::size_t hint) const;
    void buildNameIndex();

    // The same for names matched without regard to letter case: position of
    // the first file whose folded name is folded. Only for compares where a
    // volume ignores case; built after the listing, by buildFoldedIndex,
    // which costs nothing until it is called. fold appends a name's folded
    // form to a string: foldedCase for whole names, or a rule that folds
    // only below the directories that lie on such a volume.
    using Fold = void (*)(const void* context, std::string_view name, std::string& out);
    std::optional<std::size_t> firstFoldedPosition(std::string_view folded) const;
    void buildFoldedIndex(Fold fold = nullptr, const void* context = nullptr);

    std::vector<platform::RelativePath> Directories;

private:
    void dropFoldedIndex();

    struct Entry {
        std::uint64_t nameOffset;
        std::uint32_t nameLength;
        std::uint32_t attributes;
        std::uint64_t size;
        std::int64_t modifiedSeconds;
    };
    std::vector<Entry> files_;
    std::vector<char> names_;
    NameIndex index_;
    bool twins_ = false; // the index found a name twice
    void appendFolded(std::string_view name, std::string& out) const;
    std::string_view foldedName(std::size_t k) const;
    Fold fold_ = nullptr; // nullptr: foldedCase
    const void* foldContext_ = nullptr;
    std::vector<char> foldedNames_;         // every name folded, one after another
    std::vector<std::uint64_t> foldedEnds_; // where each folded name ends in foldedNames_
    NameIndex foldedIndex_;
};

} // namespace tessarin::sync
