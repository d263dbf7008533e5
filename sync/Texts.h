#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace tessarin::sync {

// "%.2f %s" with unit B, KB or MB (no larger unit); halves round up.
std::string FormatFileSize(std::uint64_t size);

// Whole local seconds since 1970-01-01 of a file time, held within the years
// 0000 to 9999 so that its text always has the fixed 19 characters.
std::int64_t localSeconds(platform::FileTime time, std::int64_t zoneOffsetSeconds);

// "yyyy-mm-dd hh:mm:ss" of whole local seconds.
std::string modifiedTimeText(std::int64_t localSeconds);

// "共%d个文件".
std::string fileCountText(std::size_t count);

} // namespace tessarin::sync
