#include "platform/Path.h"

namespace tessarin::platform {

namespace {

// Length of text without its trailing "/" (a lone "/" kept when all are).
std::size_t lengthWithoutTrailingSlashes(std::string_view text)
{
    const std::size_t last = text.find_last_not_of('/');
    if (last == std::string_view::npos)
        return text.empty() ? 0 : 1;
    return last + 1;
}

} // namespace

Path Path::parent() const
{
    const std::string_view text = std::string_view(bytes_).substr(0, lengthWithoutTrailingSlashes(bytes_));
    const std::size_t slash = text.rfind('/');
    if (slash == std::string_view::npos)
        return Path(".");
    // The run of "/" before the name goes with it.
    const std::size_t end = text.find_last_not_of('/', slash);
    if (end == std::string_view::npos)
        return Path("/");
    return Path(std::string(text.substr(0, end + 1)));
}

std::string_view Path::fileName() const
{
    const std::string_view text = std::string_view(bytes_).substr(0, lengthWithoutTrailingSlashes(bytes_));
    if (text == "/")
        return {};
    const std::size_t slash = text.rfind('/');
    return slash == std::string_view::npos ? text : text.substr(slash + 1);
}

Path Path::operator/(std::string_view name) const
{
    std::string joined = bytes_;
    if (!joined.empty() && joined.back() != '/')
        joined += '/';
    joined += name;
    return Path(std::move(joined));
}

std::optional<std::string_view> Path::relativeTo(const Path& directory) const
{
    if (directory.empty())
        return std::nullopt;
    std::string_view outer = directory.bytes_;
    outer = outer.substr(0, lengthWithoutTrailingSlashes(outer));
    if (outer == "/")
        outer = {}; // every name of an absolute path follows the root's "/"
    const std::string_view text = bytes_;
    if (text.substr(0, outer.size()) != outer)
        return std::nullopt;
    const std::string_view rest = text.substr(outer.size());
    if (rest.empty())
        return outer.empty() ? std::nullopt : std::optional<std::string_view>(rest);
    if (rest.front() != '/')
        return std::nullopt; // "/a/bc" against "/a/b": another name
    const std::size_t start = rest.find_first_not_of('/');
    return start == std::string_view::npos ? std::string_view() : rest.substr(start);
}

bool Path::isBeneath(const Path& directory) const
{
    const std::optional<std::string_view> rest = relativeTo(directory);
    return rest && !rest->empty();
}

std::optional<std::string> rootTextOf(std::string_view fieldText)
{
    if (fieldText.empty())
        return std::nullopt;
    if (fieldText.back() == '/')
        fieldText.remove_suffix(1);
    return std::string(fieldText);
}

} // namespace tessarin::platform
