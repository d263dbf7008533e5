#include "sync/TimeRules.h"

#include <algorithm>
#include <cstdlib>

namespace tessarin::sync {

namespace {

using Family = platform::VolumeTraits::Family;

constexpr std::int64_t kHour = 3600;
constexpr std::int64_t kLongestShiftHours = 24;

} // namespace

bool keepsFatYears(const platform::VolumeTraits& volume)
{
    return volume.family == Family::Fat || volume.family == Family::Exfat;
}

bool keepsSomeYears(const platform::VolumeTraits& volume)
{
    return keepsFatYears(volume) || volume.sftpTimes;
}

std::int64_t storedTime(std::int64_t localSeconds, const platform::VolumeTraits& volume, std::int64_t zoneOffset)
{
    if (keepsFatYears(volume))
        return std::clamp(localSeconds, platform::kEarliestFatTime, platform::kLatestFatTime);
    if (volume.sftpTimes) // held in UTC
        return std::clamp(localSeconds - zoneOffset, platform::kEarliestSftpTime, platform::kLatestSftpTime) +
               zoneOffset;
    return localSeconds;
}

bool sourceIsNewer(std::int64_t source, std::int64_t target, const platform::VolumeTraits& sourceVolume,
                   const platform::VolumeTraits& targetVolume, std::int64_t zoneOffset)
{
    // Both sides clamped alike: a 1970 file and its 1980 copy on FAT are equal
    // whichever way the pair is looked at.
    source = storedTime(storedTime(source, sourceVolume, zoneOffset), targetVolume, zoneOffset);
    target = storedTime(storedTime(target, sourceVolume, zoneOffset), targetVolume, zoneOffset);
    const std::int64_t step = std::max({1, sourceVolume.timeResolutionSeconds, targetVolume.timeResolutionSeconds});
    const std::int64_t difference = source - target;
    if (difference < step)
        return false;
    if (sourceVolume.family != Family::Fat && targetVolume.family != Family::Fat)
        return true;
    const std::int64_t hours = (difference + kHour / 2) / kHour;
    return hours == 0 || hours > kLongestShiftHours || std::abs(difference - hours * kHour) >= step;
}

} // namespace tessarin::sync
