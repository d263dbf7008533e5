#pragma once
// Plain reads and writes of whole files, for the copy and for the folders
// above the platform, which make no system call of their own.
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

#include "platform/Fd.h"

namespace tessarin::platform {

// Writes all of data, at the descriptor's position or, where offset is not
// negative, from offset on (pwrite). False with errno set.
bool writeAll(int fd, std::string_view data, off_t offset = -1);

// Reads from the descriptor's position to the end into text. False with errno
// set and text empty.
bool readAll(int fd, std::string& text);

// Opens path (O_RDONLY or O_WRONLY) only if it is a regular file, and without
// blocking: a FIFO in its place would block the open for ever, a device may do
// anything when read. An invalid Fd with errno set on failure, EINVAL for
// anything but a regular file.
Fd openRegularFile(const std::string& path, int access);

// Where a write of path goes once a last link is followed, so that a write
// through it leaves the link a link: what the link leads to, through every
// link of its chain, or the file a broken link names, which the write
// creates; path itself where it is no link. Nothing where a link of the
// chain, or the file it leads to, belongs to another user than the effective
// one: a write through it would land where that user chose.
std::optional<std::string> followedOwnLink(const std::string& path);

// fsync and ftruncate; false with errno set.
bool syncFile(int fd);
bool truncateFile(int fd, off_t size);

// Whether the process may create files in the directory.
bool mayWriteIn(const std::string& directory);

// Creates each missing directory above path's last name (mode less the
// umask); one that cannot be made shows later, when path is written.
void makeDirectoriesAbove(const std::string& path, mode_t mode);

} // namespace tessarin::platform
