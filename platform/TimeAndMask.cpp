#include <time.h>

#include "platform/FileSystem.h"

namespace tessarin::platform {

namespace {

// Days since 1970-01-01 to a proleptic Gregorian date (valid for all int64 days we meet).
void civilFromDays(std::int64_t days, int& year, int& month, int& day)
{
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t doe = days - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

char foldCase(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

FileTime changeClockNow()
{
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
    return {static_cast<std::int64_t>(now.tv_sec), static_cast<std::int32_t>(now.tv_nsec)};
}

LocalDateTime toLocalDateTime(FileTime time, std::int64_t zoneOffsetSeconds)
{
    // Saturated at the limits of the type rather than overflowing.
    std::int64_t local;
    if (__builtin_add_overflow(time.seconds, zoneOffsetSeconds, &local))
        local = zoneOffsetSeconds > 0 ? INT64_MAX : INT64_MIN;
    const std::int64_t days = floorDiv(local, 86400);
    const std::int64_t secondOfDay = local - days * 86400;
    LocalDateTime out;
    civilFromDays(days, out.year, out.month, out.day);
    out.hour = static_cast<int>(secondOfDay / 3600);
    out.minute = static_cast<int>(secondOfDay / 60 % 60);
    out.second = static_cast<int>(secondOfDay % 60);
    out.millisecond = time.nanoseconds / 1000000;
    return out;
}

bool matchesMask(std::string_view name, std::string_view mask)
{
    if (mask == "*.*" || mask == "*")
        return true;
    // Greedy match with one backtrack point: the last "*" seen.
    std::size_t n = 0, m = 0;
    std::size_t starMask = std::string_view::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || foldCase(mask[m]) == foldCase(name[n]))) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (starMask != std::string_view::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

} // namespace tessarin::platform
