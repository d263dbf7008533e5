#include "platform/PathOpen.h"

#include <algorithm>
#include <atomic>
#include <climits>
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

// The names of path. "." and empty names are left out, but a path that ends
// in one ("dir/", "dir/.") ends in ".": the name before it is a directory.
std::vector<std::string> namesOf(std::string_view path)
{
    std::vector<std::string> names;
    bool directory = false;
    for (std::size_t start = 0; start <= path.size();) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        const std::string_view name = path.substr(start, end - start);
        directory = name.empty() || name == ".";
        if (!directory)
            names.emplace_back(name);
        start = end + 1;
    }
    if (directory && !names.empty())
        names.emplace_back(".");
    return names;
}

bool hasDotDot(std::string_view relative)
{
    const std::vector<std::string> names = namesOf(relative);
    return std::find(names.begin(), names.end(), "..") != names.end();
}

std::string_view withoutLeadingSlashes(std::string_view relative)
{
    while (!relative.empty() && relative.front() == '/')
        relative.remove_prefix(1);
    return relative;
}

#ifdef RESOLVE_BENEATH
std::atomic<bool> noOpenat2{false};

Fd openat2Beneath(int dirFd, const std::string& relative, int flags, mode_t mode, Links links)
{
    struct open_how how {};
    how.flags = static_cast<std::uint64_t>(flags | O_CLOEXEC);
    how.mode = (flags & (O_CREAT | O_TMPFILE)) ? mode : 0;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
    if (links == Links::None)
        how.resolve |= RESOLVE_NO_SYMLINKS;
    const char* path = relative.empty() ? "." : relative.c_str();
    for (;;) {
        const long fd = ::syscall(SYS_openat2, dirFd, path, &how, sizeof how);
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

// How far a walk may go: which links it follows, and which may take it out
// of its root.
enum class Reach {
    NoLink,   // none: a link on the way counts as leading out
    Inside,   // links, while the walk stays beneath the root
    OwnLinks, // out of the root too, but no other user's link may end outside it
    Anywhere, // every link: the root is only where a relative path starts
};

using NodeId = std::pair<dev_t, ino_t>;

NodeId idOf(const struct stat& st)
{
    return {st.st_dev, st.st_ino};
}

// Resolves a path name by name from directory descriptors, as the kernel
// would, but reading each link itself, so that its Reach decides whether
// the link may be followed. It holds one directory at a time (O_PATH).
class Walk {
public:
    explicit Walk(Reach reach) : reach_(reach) {}
    bool begin(int at, const char* root);
    bool walkTo(std::string_view path, std::string& last);
    bool lastOf(std::string& name);
    int dir() const { return (dir_.valid() ? dir_ : root_).get(); }

private:
    bool enter(const std::string& name);
    bool up();
    bool arrive(Fd next);
    bool leave(int at, const char* name);
    void toRoot();
    std::optional<std::string_view> belowRoot(std::string_view path) const;
    bool throughLink(const Fd& link, const struct stat& st, std::string* last);

    Reach reach_;
    uid_t user_ = ::geteuid();
    Fd root_;
    NodeId rootId_;
    Fd dir_;                    // where the walk stands; invalid at the root
    std::vector<NodeId> trail_; // from the root, or where the walk went out of it, down to here
    bool inside_ = true;        // the walk stands beneath the root
    int links_ = 0;
};

bool Walk::begin(int at, const char* root)
{
    root_ = Fd(::openat(at, root, O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat st;
    if (!root_.valid() || ::fstat(root_.get(), &st) != 0)
        return false;
    rootId_ = idOf(st);
    trail_ = {rootId_};
    return true;
}

// Walks every name of path but the last (from "/" where path is absolute);
// the last goes to last, "." where path names the directory reached.
bool Walk::walkTo(std::string_view path, std::string& last)
{
    if (!path.empty() && path.front() == '/') {
        if (const auto rest = belowRoot(path)) {
            toRoot();
            path = *rest;
        } else if (!leave(AT_FDCWD, "/")) {
            return false;
        }
    }
    std::vector<std::string> names = namesOf(path);
    last = ".";
    if (!names.empty() && names.back() != "..") {
        last = std::move(names.back());
        names.pop_back();
    }
    for (const std::string& name : names)
        if (!enter(name))
            return false;
    return true;
}

// The last name of a path, followed while it is a link: name becomes the
// one its chain ends in, beside the directory the walk reached.
bool Walk::lastOf(std::string& name)
{
    if (name == ".")
        return true;
    Fd entry(::openat(dir(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    if (!entry.valid() || ::fstat(entry.get(), &st) != 0 || !S_ISLNK(st.st_mode))
        return true; // what cannot be looked at fails, or is made, at the open
    return throughLink(entry, st, &name);
}

// Into the directory name, or through the link it is.
bool Walk::enter(const std::string& name)
{
    if (name == ".")
        return true;
    if (name == "..")
        return up();
    // O_DIRECTORY: an automount point is mounted, as in a path the kernel walks.
    Fd next(::openat(dir(), name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (next.valid())
        return arrive(std::move(next));
    // O_NOFOLLOW fails on a link with ELOOP, or ENOTDIR under O_DIRECTORY.
    const int error = errno;
    if (error != ELOOP && error != ENOTDIR)
        return false;
    Fd link(::openat(dir(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    if (link.valid() && ::fstat(link.get(), &st) == 0 && S_ISLNK(st.st_mode))
        return throughLink(link, st, nullptr);
    errno = error;
    return false;
}

// "..": one step back along the trail, or out of where it starts. The
// parent must be the directory the walk came from: a rename racing the walk
// could otherwise take it out of the root.
bool Walk::up()
{
    if (trail_.size() == 1)
        return leave(dir(), "..");
    trail_.pop_back();
    if (inside_ && trail_.size() == 1) {
        dir_.reset();
        return true;
    }
    Fd parent(::openat(dir(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat st;
    if (!parent.valid() || ::fstat(parent.get(), &st) != 0)
        return false;
    if (idOf(st) != trail_.back()) {
        errno = kOutsideRoot;
        return false;
    }
    dir_ = std::move(parent);
    return true;
}

// The walk stands in next now. Outside the root, next may be the root itself
// again: a way back into the tree.
bool Walk::arrive(Fd next)
{
    struct stat st;
    if (::fstat(next.get(), &st) != 0)
        return false;
    if (!inside_ && idOf(st) == rootId_) {
        toRoot();
        return true;
    }
    dir_ = std::move(next);
    trail_.push_back(idOf(st));
    return true;
}

// Out of the root, or further up outside it, to name opened from at.
bool Walk::leave(int at, const char* name)
{
    if (reach_ < Reach::OwnLinks) {
        errno = kOutsideRoot;
        return false;
    }
    Fd outside(::openat(at, name, O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!outside.valid())
        return false;
    inside_ = false;
    trail_.clear();
    return arrive(std::move(outside));
}

void Walk::toRoot()
{
    dir_.reset();
    trail_ = {rootId_};
    inside_ = true;
}

// The rest of path, absolute, where it begins with the root's own path:
// such a link leads beneath the root (openat2 refuses it all the same).
std::optional<std::string_view> Walk::belowRoot(std::string_view path) const
{
    char text[PATH_MAX];
    const std::string self = "/proc/self/fd/" + std::to_string(root_.get());
    const ssize_t n = ::readlink(self.c_str(), text, sizeof text);
    if (n <= 0 || n >= static_cast<ssize_t>(sizeof text))
        return std::nullopt;
    std::string_view root(text, static_cast<std::size_t>(n));
    if (root == "/")
        root = {};
    if (!path.starts_with(root) || (path.size() > root.size() && path[root.size()] != '/'))
        return std::nullopt;
    return path.substr(root.size());
}

// Walks the target of the link open at link, of status st: into the
// directory it names, or with last, to the directory that holds what it
// names, and that name.
bool Walk::throughLink(const Fd& link, const struct stat& st, std::string* last)
{
    if (reach_ == Reach::NoLink) {
        errno = kOutsideRoot;
        return false;
    }
    if (++links_ > 40) {
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
    if (!walkTo(target, name) || !(last ? lastOf(name) : enter(name)))
        return false;
    if (last)
        *last = std::move(name);
    // Another user's link never takes a read out of the tree it stands in.
    if (reach_ == Reach::OwnLinks && st.st_uid != user_ && !inside_) {
        errno = kOutsideRoot;
        return false;
    }
    return true;
}

// Opens path by a walk of that reach, from the directory at rootFd, or from
// "/" where path is absolute (no search of rootFd is needed then).
Fd openByWalk(int rootFd, std::string_view path, int flags, mode_t mode, Reach reach)
{
    // As open(2): O_CREAT | O_EXCL never follows a last link.
    const bool followLast = !(flags & O_NOFOLLOW) && (flags & (O_CREAT | O_EXCL)) != (O_CREAT | O_EXCL);
    Walk walk(reach);
    std::string last;
    if (!walk.begin(rootFd, path.starts_with('/') ? "/" : ".") || !walk.walkTo(path, last) ||
        (followLast && !walk.lastOf(last)))
        return Fd();
    // O_NOFOLLOW: a link put in place of the last name since is not followed.
    return Fd(::openat(walk.dir(), last.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, mode));
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
    return openByWalk(AT_FDCWD, path, flags, mode, Reach::Anywhere);
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
    relative = withoutLeadingSlashes(relative);
    if (hasDotDot(relative)) {
        errno = kOutsideRoot;
        return Fd();
    }
#ifdef RESOLVE_BENEATH
    // openat2 refuses an absolute link even where it names a place beneath
    // the root: the walk tells such a link from one that leads out.
    if (!noOpenat2 && relative.size() < PATH_MAX) {
        Fd fd = openat2Beneath(rootFd, std::string(relative), flags, mode, links);
        if (fd.valid() || (!noOpenat2 && (errno != kOutsideRoot || links == Links::None)))
            return fd;
    }
#endif
    return openByWalk(rootFd, relative, flags, mode, links == Links::None ? Reach::NoLink : Reach::Inside);
}

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
    // Out of the root: walked again, each link's owner and end looked at.
    return openByWalk(rootFd, withoutLeadingSlashes(relative), flags, mode, Reach::OwnLinks);
}

void openBeneathByWalkForTesting()
{
#ifdef RESOLVE_BENEATH
    noOpenat2 = true;
#endif
}

} // namespace tessarin::platform
