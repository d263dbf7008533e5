#pragma once
// Paths as text, without looking at the disk.
#include <optional>
#include <string>
#include <string_view>

namespace tessarin::platform {

// A path as the file system takes it: bytes, names joined by "/". Nothing is
// converted or normalised, so a name that is not UTF-8 passes unchanged; the
// operations look at "/" bytes only, and a run of "/" between two names
// counts as one.
class Path {
public:
    Path() = default;
    explicit Path(std::string bytes) : bytes_(std::move(bytes)) {}

    const std::string& bytes() const { return bytes_; }
    bool empty() const { return bytes_.empty(); }
    friend bool operator==(const Path&, const Path&) = default;

    // The directory that holds this path, lexically: trailing "/" ignored;
    // "." for a bare name, "/" for a name at the root and for "/" itself.
    Path parent() const;
    // The last name: what follows the last "/", trailing "/" ignored; "" for "/".
    std::string_view fileName() const;
    // This path and a name below it: one "/" between, none added when this
    // path is empty or ends with "/" already.
    Path operator/(std::string_view name) const;
    // This path ending in "/", as a directory is read: unchanged when it ends
    // so already or is empty.
    std::string asDirectory() const { return (*this / "").bytes_; }
    // Whether this path lies inside directory (not directory itself),
    // comparing whole names: "/a/bc" is not beneath "/a/b". Nothing lies
    // beneath the empty path.
    bool isBeneath(const Path& directory) const;
    // What follows directory and its "/" when this path lies beneath it;
    // "" for directory itself (trailing "/" ignored); nothing otherwise.
    std::optional<std::string_view> relativeTo(const Path& directory) const;

private:
    std::string bytes_;
};

// The root text of a compare from a path field's text: the text less one
// trailing "/", so "/" gives "", which stands for the root of the file
// system. Nothing for an empty field: it names no directory.
std::optional<std::string> rootTextOf(std::string_view fieldText);

// What a path field shows for a root text: the text itself, and "/" for the
// root of the file system, so that the field can be compared again.
inline std::string rootFieldText(std::string_view rootText)
{
    return rootText.empty() ? std::string("/") : std::string(rootText);
}

// The directory a root text names, as its walk starts there: the root text
// and one "/" ("/" for the root text "").
inline Path rootDirectory(std::string_view rootText)
{
    return Path(std::string(rootText) + "/");
}

} // namespace tessarin::platform
