#pragma once
// When a file counts as newer than its partner, given what each volume can
// hold of a time: its step, its years and, on FAT, its local clock.
#include <cstdint>

#include "platform/FileSystem.h"

namespace tessarin::sync {

// Whether the volume holds only the FAT years (platform::kEarliestFatTime to
// kLatestFatTime).
bool keepsFatYears(const platform::VolumeTraits& volume);

// Whether the volume holds only some of the times: the FAT years, or SFTP's.
bool keepsSomeYears(const platform::VolumeTraits& volume);

// A time (whole local seconds, zoneOffset east of UTC) as the volume would
// store it.
std::int64_t storedTime(std::int64_t localSeconds, const platform::VolumeTraits& volume, std::int64_t zoneOffset);

// Whether a source of time source (whole local seconds, on sourceVolume) is
// newer than its partner of time target (on targetVolume). Both times are
// taken as the coarser volume would store them, and must differ by at least
// its time step. A FAT side keeps local time: a difference of whole hours
// (up to a day, within the step) is a shift of the zone or of daylight saving,
// not an edit.
bool sourceIsNewer(std::int64_t source, std::int64_t target, const platform::VolumeTraits& sourceVolume,
                   const platform::VolumeTraits& targetVolume, std::int64_t zoneOffset);

} // namespace tessarin::sync
