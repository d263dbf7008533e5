#pragma once
// Opening paths from directory descriptors: paths longer than the system's
// limit, and changes confined beneath a tree's root.
#include <cerrno>
#include <cstdint>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>

#include "platform/Fd.h"

namespace tessarin::platform {

// errno of a change refused because its path leaves the tree's root through
// a link (or a magic link of /proc).
inline constexpr int kOutsideRoot = EXDEV;

// The reason shown for such a refusal.
std::string outsideRootText();

// The reason shown for a read refused because another user's link leads out
// of the root (openThroughOwnLinks).
std::string othersLinkText();

// Opens a path as open(2) does, links followed. A path longer than the
// system's limit is opened name by name from directory descriptors.
// An invalid Fd with errno set on failure.
Fd openPath(const std::string& path, int flags, mode_t mode = 0);

// stat / lstat of a path of any length. Returns 0, or -1 with errno set.
int statPath(const std::string& path, struct stat& st, bool followLastLink = true);

// How a path beneath a root may be resolved.
enum class Links {
    StayInside, // links are followed while they stay beneath the root
    None,       // no component may be a link at all
};

// Opens relative (no leading "/"; "" names the root itself) beneath the
// directory open at rootFd: no component, link or ".." may lead out of it.
// A last component that is a link is followed (within the root) unless flags
// hold O_NOFOLLOW, where it fails with ELOOP as open(2) does.
// An invalid Fd with errno set on failure; kOutsideRoot when the path would
// leave the root.
Fd openBeneath(int rootFd, std::string_view relative, int flags, mode_t mode = 0, Links links = Links::StayInside);

// Opens the directory that holds the last component of relative, beneath
// rootFd, and gives that component's name. relative must name something
// below the root (not "").
Fd openParentBeneath(int rootFd, std::string_view relative, std::string& lastName, Links links = Links::StayInside);

// Opens relative beneath the directory open at rootFd as openBeneath does,
// except that the path may also leave the root through links, as long as
// each link that leads out (its target, through every further link of its
// chain, lies outside the root) belongs to the effective user: a link of
// another user's never takes a read out of the tree it stands in. Flags as
// for openBeneath. kOutsideRoot when another user's link leads out.
Fd openThroughOwnLinks(int rootFd, std::string_view relative, int flags, mode_t mode = 0);

// For the tests alone (no program calls it): from now on this process opens
// beneath a root by its walk of directory descriptors, as on a kernel
// without openat2, so that the tests run both ways.
void openBeneathByWalkForTesting();

} // namespace tessarin::platform
