#include "platform/PathOpen.h"

#include <atomic>
#include <climits>
#include <deque>
#include <fcntl.h>
#include <optional>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>
#include <vector>

#if __has_include(<linux/openat2.h>)
#include <linux/openat2.h>
#endif

namespace tessarin::platform {

namespace {

// Pieces of a long path are opened this many bytes at most at a time, well
// inside the system's limit.
constexpr std::size_t kPiece = PATH_MAX / 2;

// Where the next piece of path begins after one of at most kPiece bytes
// starting at from: just past a "/", so that no name is cut.
std::size_t pieceEnd(std::string_view path, std::size_t from)
{
    if (path.size() - from <= kPiece)
        return path.size();
    const std::size_t slash = path.rfind('/', from + kPiece);
    if (slash == std::string_view::npos || slash < from)
        return std::string_view::npos; // one name longer than any limit
    return slash + 1;
}

// Opens path from the directory at in pieces of at most kPiece bytes: each
// piece but the last as a directory (O_PATH), the last with flags. openPiece
// opens one piece as openat(2) does.
template <typename OpenPiece>
Fd openByPieces(int at, std::string_view path, int flags, mode_t mode, OpenPiece openPiece)
{
    Fd held;
    std::size_t from = 0;
    for (;;) {
        const std::size_t end = pieceEnd(path, from);
        if (end == std::string_view::npos) {
            errno = ENAMETOOLONG;
            return Fd();
        }
        const std::string piece(path.substr(from, end - from));
        if (end == path.size())
            return openPiece(at, piece, flags, mode);
        Fd next = openPiece(at, piece, O_PATH | O_DIRECTORY, 0);
        if (!next.valid())
            return next;
        held = std::move(next);
        at = held.get();
        from = end;
    }
}

bool hasDotDot(std::string_view relative)
{
    std::size_t start = 0;
    while (start <= relative.size()) {
        std::size_t end = relative.find('/', start);
        if (end == std::string_view::npos)
            end = relative.size();
        if (relative.substr(start, end - start) == "..")
            return true;
        start = end + 1;
    }
    return false;
}

#ifdef RESOLVE_BENEATH
std::atomic<bool> noOpenat2{false};

Fd openat2Beneath(int dirFd, const std::string& piece, int flags, mode_t mode, Links links)
{
    struct open_how how {};
    how.flags = static_cast<std::uint64_t>(flags | O_CLOEXEC);
    how.mode = (flags & (O_CREAT | O_TMPFILE)) ? mode : 0;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
    if (links == Links::None)
        how.resolve |= RESOLVE_NO_SYMLINKS;
    for (;;) {
        const long fd = ::syscall(SYS_openat2, dirFd, piece.c_str(), &how, sizeof how);
        if (fd >= 0)
            return Fd(static_cast<int>(fd));
        if (errno == EINTR || errno == EAGAIN)
            continue; // EAGAIN: a rename elsewhere raced the lookup; try again
        if (errno == ENOSYS)
            noOpenat2 = true;
        else if (errno == EXDEV)
            errno = kOutsideRoot;
        return Fd();
    }
}
#endif

// Without openat2: each directory is opened from its parent with O_NOFOLLOW,
// so no link is followed at all; a link on the way counts as leading out.
Fd walkBeneath(int dirFd, std::string_view relative, int flags, mode_t mode)
{
    Fd held;
    int at = dirFd;
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = relative.find('/', start);
        const std::string name(
            relative.substr(start, slash == std::string_view::npos ? std::string_view::npos : slash - start));
        if (slash == std::string_view::npos) {
            const char* last = name.empty() ? "." : name.c_str();
            Fd fd(::openat(at, last, flags | O_NOFOLLOW | O_CLOEXEC, mode));
            const int error = errno;
            if (flags & O_NOFOLLOW)
                return fd;
            // A last link the caller would follow: O_NOFOLLOW fails on it with
            // ELOOP, with ENOTDIR under O_DIRECTORY, and under O_PATH opens the
            // link itself. Each is one to resolve, not a result.
            struct stat st;
            const bool link = fd.valid() ? (flags & O_PATH) && ::fstat(fd.get(), &st) == 0 && S_ISLNK(st.st_mode)
                                         : error == ELOOP || (error == ENOTDIR &&
                                                              ::fstatat(at, last, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                                                              S_ISLNK(st.st_mode));
            if (!link) {
                errno = error;
                return fd;
            }
            errno = kOutsideRoot;
            return Fd();
        }
        if (!name.empty()) {
            Fd next(::openat(at, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (!next.valid()) {
                if (errno == ELOOP || errno == ENOTDIR) {
                    struct stat st;
                    if (::fstatat(at, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
                        errno = kOutsideRoot;
                }
                return next;
            }
            held = std::move(next);
            at = held.get();
        }
        start = slash + 1;
    }
}

Fd openPieceBeneath(int dirFd, const std::string& piece, int flags, mode_t mode, Links links)
{
#ifdef RESOLVE_BENEATH
    if (!noOpenat2) {
        Fd fd = openat2Beneath(dirFd, piece, flags, mode, links);
        if (fd.valid() || !noOpenat2)
            return fd;
    }
#endif
    (void)links;
    return walkBeneath(dirFd, piece, flags, mode);
}

Fd openBeneathOnce(int rootFd, std::string_view relative, int flags, mode_t mode, Links links);

std::vector<std::string> namesOf(std::string_view path)
{
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start && path.substr(start, end - start) != ".")
            names.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

std::string joined(const std::vector<std::string>& names)
{
    std::string path;
    for (const std::string& name : names)
        path += (path.empty() ? "" : "/") + name;
    return path;
}

// The resolution beneath a root refuses every link whose text is absolute,
// even one that names a place inside the root. This rewrites relative so
// that such links are replaced by the path they name below the root; the
// result is opened beneath the root again, so it can never lead out.
// Nothing when a link truly leads out.
std::optional<std::string> withoutAbsoluteLinks(int rootFd, std::string_view relative, bool followLast)
{
    char rootText[PATH_MAX];
    const std::string self = "/proc/self/fd/" + std::to_string(rootFd);
    const ssize_t rootLength = ::readlink(self.c_str(), rootText, sizeof rootText);
    if (rootLength <= 0 || rootLength >= static_cast<ssize_t>(sizeof rootText))
        return std::nullopt;
    const std::string root(rootText, static_cast<std::size_t>(rootLength));
    std::vector<std::string> done;
    const std::vector<std::string> given = namesOf(relative);
    std::deque<std::string> todo(given.begin(), given.end());
    for (int links = 0; !todo.empty();) {
        std::string name = std::move(todo.front());
        todo.pop_front();
        if (name == "..") {
            if (done.empty())
                return std::nullopt;
            done.pop_back();
            continue;
        }
        if (todo.empty() && !followLast) {
            done.push_back(std::move(name));
            break;
        }
        const Fd parent = openBeneathOnce(rootFd, joined(done), O_PATH | O_DIRECTORY, 0, Links::None);
        struct stat st;
        if (!parent.valid() || ::fstatat(parent.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISLNK(st.st_mode)) {
            done.push_back(std::move(name));
            continue;
        }
        if (++links > 40)
            return std::nullopt;
        std::string target(PATH_MAX, '\0');
        const ssize_t n = ::readlinkat(parent.get(), name.c_str(), target.data(), target.size());
        if (n <= 0 || n >= static_cast<ssize_t>(target.size()))
            return std::nullopt;
        target.resize(static_cast<std::size_t>(n));
        if (target.front() == '/') {
            const std::string base = root == "/" ? std::string() : root;
            if (target != base && target.compare(0, base.size() + 1, base + "/") != 0)
                return std::nullopt; // outside the root
            target.erase(0, base.size());
            done.clear();
        }
        const std::vector<std::string> inner = namesOf(target);
        todo.insert(todo.begin(), inner.begin(), inner.end());
    }
    return joined(done);
}

// A resolution that may leave the root: where it stands, and whether that
// place lies beneath the root.
struct OwnLinksWalk {
    std::pair<dev_t, ino_t> root;
    uid_t user = 0;
    Fd dir;             // the directory reached, O_PATH
    bool inside = true; // dir lies beneath the root
    int depth = 0;      // dir's depth below the root while inside
    int links = 0;
};

using NodeId = std::pair<dev_t, ino_t>;

NodeId idOf(const struct stat& st)
{
    return {st.st_dev, st.st_ino};
}

bool stepInto(OwnLinksWalk& walk, const std::string& name);
bool lastOf(OwnLinksWalk& walk, const std::string& name, std::string& last);

// Outside the root, a directory reached may be the root itself again (an
// absolute link naming a place inside the tree).
bool arrived(OwnLinksWalk& walk, Fd next)
{
    walk.dir = std::move(next);
    if (walk.inside)
        return true;
    struct stat st;
    if (::fstat(walk.dir.get(), &st) != 0)
        return false;
    if (idOf(st) == walk.root) {
        walk.inside = true;
        walk.depth = 0;
    }
    return true;
}

// Walks every name of path but the last from the directory reached (from
// "/" where path is absolute); the last name goes to last, "." where path
// names a directory reached.
bool walkTo(OwnLinksWalk& walk, std::string_view path, std::string& last)
{
    if (!path.empty() && path.front() == '/') {
        walk.inside = false;
        if (!arrived(walk, Fd(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC))))
            return false;
    }
    std::vector<std::string> names = namesOf(path);
    last = ".";
    if (!names.empty() && names.back() != "..") {
        last = std::move(names.back());
        names.pop_back();
    }
    for (const std::string& name : names)
        if (!stepInto(walk, name))
            return false;
    return true;
}

// Follows the link open at link (O_PATH | O_NOFOLLOW), of status st: into the
// directory it names, or with last, to the directory that holds what it
// names, and that name. Another user's link must not end outside the root.
bool throughLink(OwnLinksWalk& walk, const Fd& link, const struct stat& st, std::string* last)
{
    if (++walk.links > 40) {
        errno = ELOOP;
        return false;
    }
    std::string target(PATH_MAX, '\0');
    const ssize_t n = ::readlinkat(link.get(), "", target.data(), target.size());
    if (n <= 0 || n >= static_cast<ssize_t>(target.size())) {
        errno = n < 0 ? errno : ENAMETOOLONG;
        return false;
    }
    target.resize(static_cast<std::size_t>(n));
    std::string name;
    if (!walkTo(walk, target, name) || !(last ? lastOf(walk, name, *last) : stepInto(walk, name)))
        return false;
    if (st.st_uid != walk.user && !walk.inside) {
        errno = kOutsideRoot;
        return false;
    }
    return true;
}

bool stepInto(OwnLinksWalk& walk, const std::string& name)
{
    if (name == "..") {
        if (walk.inside && walk.depth-- == 0)
            walk.inside = false;
        Fd up(::openat(walk.dir.get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
        return up.valid() && arrived(walk, std::move(up));
    }
    Fd next(::openat(walk.dir.get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    if (!next.valid() || ::fstat(next.get(), &st) != 0)
        return false;
    if (S_ISLNK(st.st_mode))
        return throughLink(walk, next, st, nullptr);
    if (!S_ISDIR(st.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    if (walk.inside)
        ++walk.depth;
    return arrived(walk, std::move(next));
}

// The last name of a path: followed where it is a link.
bool lastOf(OwnLinksWalk& walk, const std::string& name, std::string& last)
{
    last = name;
    if (name == ".")
        return true;
    Fd entry(::openat(walk.dir.get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    if (!entry.valid() || ::fstat(entry.get(), &st) != 0 || !S_ISLNK(st.st_mode))
        return true; // what cannot be looked at fails, or is made, at the open
    return throughLink(walk, entry, st, &last);
}

} // namespace

std::string outsideRootText()
{
    return "路径经由链接通向目录之外，没有做任何更改";
}

std::string othersLinkText()
{
    return "路径经由其他用户的链接通向根目录之外，没有读取";
}

Fd openPath(const std::string& path, int flags, mode_t mode)
{
    if (path.size() < PATH_MAX)
        return Fd(::open(path.c_str(), flags | O_CLOEXEC, mode));
    return openByPieces(AT_FDCWD, path, flags, mode, [](int at, const std::string& piece, int how, mode_t made) {
        return Fd(::openat(at, piece.c_str(), how | O_CLOEXEC, made));
    });
}

int statPath(const std::string& path, struct stat& st, bool followLastLink)
{
    if (path.size() < PATH_MAX)
        return followLastLink ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st);
    std::string bare = path;
    while (bare.size() > 1 && bare.back() == '/')
        bare.pop_back();
    const std::size_t slash = bare.rfind('/');
    const std::string parent = slash == std::string::npos ? "." : slash == 0 ? "/" : bare.substr(0, slash);
    const std::string name = slash == std::string::npos ? bare : bare.substr(slash + 1);
    const Fd dir = openPath(parent, O_PATH | O_DIRECTORY);
    if (!dir.valid())
        return -1;
    return ::fstatat(dir.get(), name.c_str(), &st, followLastLink ? 0 : AT_SYMLINK_NOFOLLOW);
}

Fd openBeneath(int rootFd, std::string_view relative, int flags, mode_t mode, Links links)
{
    Fd fd = openBeneathOnce(rootFd, relative, flags, mode, links);
    if (fd.valid() || errno != kOutsideRoot || links == Links::None || hasDotDot(relative))
        return fd;
    const auto rewritten = withoutAbsoluteLinks(rootFd, relative, !(flags & O_NOFOLLOW));
    if (!rewritten || *rewritten == relative) {
        errno = kOutsideRoot;
        return Fd();
    }
    return openBeneathOnce(rootFd, *rewritten, flags, mode, links);
}

namespace {

Fd openBeneathOnce(int rootFd, std::string_view relative, int flags, mode_t mode, Links links)
{
    while (!relative.empty() && relative.front() == '/')
        relative.remove_prefix(1);
    if (hasDotDot(relative)) {
        errno = kOutsideRoot;
        return Fd();
    }
    if (relative.empty())
        return openPieceBeneath(rootFd, ".", flags, mode, links);
    return openByPieces(rootFd, relative, flags, mode, [links](int at, const std::string& piece, int how, mode_t made) {
        return openPieceBeneath(at, piece, how, made, links);
    });
}

} // namespace

Fd openParentBeneath(int rootFd, std::string_view relative, std::string& lastName, Links links)
{
    while (!relative.empty() && relative.back() == '/')
        relative.remove_suffix(1);
    const std::size_t slash = relative.rfind('/');
    lastName = std::string(slash == std::string_view::npos ? relative : relative.substr(slash + 1));
    if (lastName.empty() || lastName == "." || lastName == "..") {
        errno = lastName.empty() ? EINVAL : kOutsideRoot;
        return Fd();
    }
    const std::string_view parent = slash == std::string_view::npos ? std::string_view() : relative.substr(0, slash);
    return openBeneath(rootFd, parent, O_PATH | O_DIRECTORY, 0, links);
}

Fd openThroughOwnLinks(int rootFd, std::string_view relative, int flags, mode_t mode)
{
    Fd fd = openBeneath(rootFd, relative, flags, mode);
    if (fd.valid() || errno != kOutsideRoot)
        return fd;
    // Out of the root: resolved again name by name, each link's owner and
    // end looked at.
    OwnLinksWalk walk;
    struct stat st;
    walk.dir = Fd(::openat(rootFd, ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!walk.dir.valid() || ::fstat(walk.dir.get(), &st) != 0)
        return Fd();
    walk.root = idOf(st);
    walk.user = ::geteuid();
    while (!relative.empty() && relative.front() == '/')
        relative.remove_prefix(1);
    std::string last;
    if (!walkTo(walk, relative, last) || (!(flags & O_NOFOLLOW) && !lastOf(walk, std::string(last), last)))
        return Fd();
    // O_NOFOLLOW: a link put in place of the last name since is not followed.
    return Fd(::openat(walk.dir.get(), last.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, mode));
}

void openBeneathByWalkForTesting()
{
#ifdef RESOLVE_BENEATH
    noOpenat2 = true;
#endif
}

} // namespace tessarin::platform
