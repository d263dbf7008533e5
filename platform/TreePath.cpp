#include "platform/TreePath.h"

#include <algorithm>

namespace tessarin::platform {

namespace {

// Appends the names of text to out, each after one "/" (none before the
// first name of an empty out); surplus "/" are dropped.
void appendNames(std::string_view text, std::string& out)
{
    std::size_t start = text.find_first_not_of('/');
    while (start != std::string_view::npos) {
        const std::size_t end = std::min(text.find('/', start), text.size());
        if (!out.empty())
            out += '/';
        out.append(text.substr(start, end - start));
        start = text.find_first_not_of('/', end);
    }
}

} // namespace

RelativePath RelativePath::fromText(std::string_view text)
{
    std::string names;
    names.reserve(text.size());
    appendNames(text, names);
    return RelativePath(std::move(names));
}

RelativePath RelativePath::operator/(std::string_view name) const
{
    std::string names;
    names.reserve(text_.size() + 1 + name.size());
    names = text_;
    appendNames(name, names);
    return RelativePath(std::move(names));
}

RelativePath RelativePath::parent() const
{
    const std::size_t slash = text_.rfind('/');
    return slash == std::string::npos ? RelativePath() : RelativePath(text_.substr(0, slash));
}

std::string_view RelativePath::fileName() const
{
    const std::size_t slash = text_.rfind('/');
    return slash == std::string::npos ? std::string_view(text_) : std::string_view(text_).substr(slash + 1);
}

bool RelativePath::isInside(const RelativePath& directory) const
{
    if (directory.isRoot())
        return !isRoot();
    return text_.size() > directory.text_.size() && text_.compare(0, directory.text_.size(), directory.text_) == 0 &&
           text_[directory.text_.size()] == '/';
}

Path Root::path() const
{
    const std::size_t end = text_.find_last_not_of('/');
    return Path(end == std::string::npos ? std::string("/") : text_.substr(0, end + 1));
}

Path Root::operator/(const RelativePath& place) const
{
    if (place.isRoot())
        return path();
    return Path(path().asDirectory()) / place.text();
}

std::optional<RelativePath> Root::placeOf(const Path& path) const
{
    const std::optional<std::string_view> rest = path.relativeTo(directory());
    if (!rest)
        return std::nullopt;
    return RelativePath::fromText(*rest);
}

} // namespace tessarin::platform
