#pragma once
// Places in a compared tree as types: the root, a path of names below it,
// and the two together. Code that goes from one to another goes through
// these, so that no caller joins or cuts "/" by hand.
#include <compare>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/Path.h"

namespace tessarin::platform {

// A place below a root, by its names: "a/b/c.txt". No "/" stands before the
// first name, after the last or twice, so one place has one spelling, for a
// file as for a directory; the empty path is the root itself. Bytes, never
// converted.
class RelativePath {
public:
    RelativePath() = default;
    // From a text whose surplus "/" (leading, trailing, doubled) are dropped.
    static RelativePath fromText(std::string_view text);

    const std::string& text() const { return text_; }
    bool isRoot() const { return text_.empty(); }

    // The place of name (one name, or names joined by "/") inside this one.
    RelativePath operator/(std::string_view name) const;
    // The directory that holds this place; the root for a name at the root
    // and for the root itself.
    RelativePath parent() const;
    // The last name; "" for the root.
    std::string_view fileName() const;
    // Whether this place lies inside directory, not directory itself:
    // comparing whole names, so "a/bc" is not inside "a/b".
    bool isInside(const RelativePath& directory) const;

    // Calls visit with each directory that encloses this place, outermost
    // first (anyEnclosingOf).
    template <class Visit> bool anyEnclosing(const Visit& visit) const { return anyEnclosingOf(text_, visit); }
    // The same for the text of a place (a FileTable's name is one): visit
    // gets "a", then "a/b", for "a/b/c"; the root is not among them. Stops
    // and returns true at the first visit that does.
    template <class Visit> static bool anyEnclosingOf(std::string_view place, const Visit& visit)
    {
        for (std::size_t slash = place.find('/'); slash != std::string_view::npos; slash = place.find('/', slash + 1))
            if (visit(place.substr(0, slash)))
                return true;
        return false;
    }

    friend bool operator==(const RelativePath&, const RelativePath&) = default;
    friend auto operator<=>(const RelativePath&, const RelativePath&) = default;

private:
    explicit RelativePath(std::string text) : text_(std::move(text)) {}
    std::string text_;
};

// A compared root: a path field's text less one trailing "/" (rootTextOf),
// kept as it is; the empty text stands for "/", the root of the file system.
class Root {
public:
    Root() = default;
    explicit Root(std::string_view text) : text_(text) {}

    const std::string& text() const { return text_; }
    // What a path field shows for it: "/" for the root of the file system.
    std::string fieldText() const { return rootFieldText(text_); }
    // Its own path: the text less any trailing "/"; "/" for the root of the
    // file system.
    Path path() const;
    // The root as a directory is read: its text and one "/".
    Path directory() const { return rootDirectory(text_); }
    // The whole path of a place below it; the root's own path ("/" for the
    // root of the file system) for the root itself.
    Path operator/(const RelativePath& place) const;
    // The place below this root that path names, compared by whole names;
    // nothing when path does not lie at or beneath it.
    std::optional<RelativePath> placeOf(const Path& path) const;

    friend bool operator==(const Root&, const Root&) = default;

private:
    std::string text_;
};

// A place beneath one of the compared roots. Every change on disk is made
// through one, so that it is resolved beneath its root: a link leading out
// of the tree is never written, deleted or changed through.
struct TreePath {
    TreePath() = default;
    TreePath(Root at, RelativePath place) : root(std::move(at)), relative(std::move(place)) {}
    // From texts: a root text and a relative one, whose surplus "/" are dropped.
    TreePath(std::string_view rootText, std::string_view relativeText)
        : root(rootText), relative(RelativePath::fromText(relativeText))
    {}

    Root root;
    RelativePath relative;
    // The whole path as text, for messages and for reading.
    std::string full() const { return (root / relative).bytes(); }
};

} // namespace tessarin::platform

template <> struct std::hash<tessarin::platform::RelativePath> {
    std::size_t operator()(const tessarin::platform::RelativePath& path) const noexcept
    {
        return std::hash<std::string>{}(path.text());
    }
};
