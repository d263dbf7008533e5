#include "sync/Texts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tessarin::sync {

namespace {

// Seconds from 1970-01-01 to 0000-01-01 and to 9999-12-31 23:59:59.
constexpr std::int64_t kFirstSecond = -62167219200;
constexpr std::int64_t kLastSecond = 253402300799;

} // namespace

std::string FormatFileSize(std::uint64_t size)
{
    double value;
    const char* unit;
    if (size >= 1048576) {
        value = static_cast<double>(size / 1048576) + static_cast<double>(size % 1048576) / 1048576.0;
        unit = "MB";
    } else if (size >= 1024) {
        value = static_cast<double>(size / 1024) + static_cast<double>(size % 1024) / 1024.0;
        unit = "KB";
    } else {
        value = static_cast<double>(size);
        unit = "B";
    }
    // Round half up on the decimal value: printf alone rounds an exact binary
    // half (1.125) to even. Values here are multiples of 1/1048576, exact in a
    // double, so scaling by 100 and adding a half is exact up to 2^44 MB.
    const double hundredths = std::floor(value * 100.0 + 0.5);
    char text[64];
    std::snprintf(text, sizeof text, "%.2f %s", hundredths / 100.0, unit);
    return text;
}

std::int64_t localSeconds(platform::FileTime time, std::int64_t zoneOffsetSeconds)
{
    // A time near the limits of its type must not overflow when shifted.
    std::int64_t local;
    if (__builtin_add_overflow(time.seconds, zoneOffsetSeconds, &local))
        local = zoneOffsetSeconds > 0 ? kLastSecond : kFirstSecond;
    return std::clamp(local, kFirstSecond, kLastSecond);
}

std::string modifiedTimeText(std::int64_t localSeconds)
{
    const platform::LocalDateTime t =
        platform::toLocalDateTime(platform::FileTime{std::clamp(localSeconds, kFirstSecond, kLastSecond), 0}, 0);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

std::string fileCountText(std::size_t count)
{
    return "共" + std::to_string(count) + "个文件";
}

} // namespace tessarin::sync
