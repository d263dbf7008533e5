#pragma once
// How the POSIX file-system service tells what a volume keeps: from the
// file system's magic number, the FUSE driver named in /proc/self/mountinfo,
// and, where neither settles letter case, a read-only look at one entry.
#include <optional>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace tessarin::platform {

// statfs magic numbers that decide traits.
inline constexpr unsigned long kMagicMsdos = 0x4d44;
inline constexpr unsigned long kMagicExfat = 0x2011BAB0;
inline constexpr unsigned long kMagicNtfs3 = 0x7366746e;
inline constexpr unsigned long kMagicNtfs = 0x5346544e;
inline constexpr unsigned long kMagicFuse = 0x65735546;

// Whether the kernel stamps a file's times on a volume of this magic number,
// from the clock changeClockNow reads: not FUSE, FAT, exFAT, NTFS, NFS or SMB.
bool stampsWithKernelClock(unsigned long magic);

// Whether an error of chmod or chown is a volume that keeps no permission
// bits or owners refusing them, as opposed to a failure.
bool isRefusedByVolume(int error);

// What a look at a directory's entry with its letters' case flipped found.
enum class CaseProbe {
    NotMade,     // the kind of volume settles it
    Insensitive, // the flipped name is the same file
    Sensitive,   // the flipped name is missing (or another file)
    NoEntry,     // no entry with a letter to try
};

// Whether the volume's kind leaves letter case to a probe. mountType is the
// type field of the mount ("fuseblk", "fuse.fusefat"...), used for FUSE.
bool needsCaseProbe(unsigned long magic, std::string_view mountType);

// The traits of a volume of this kind, with the probe's result where one was
// needed. blockFamily is what the device's boot sector says of a "fuseblk"
// mount, which may be exFAT or NTFS (readBootFamily); Exfat where unread.
VolumeTraits decideVolumeTraits(unsigned long magic, std::string_view mountType, CaseProbe probe,
                                VolumeTraits::Family blockFamily = VolumeTraits::Family::Exfat);

// The family the boot sector of a block device names (exFAT or NTFS), or
// nothing where the device cannot be read (only root and the disk group may)
// or names neither.
std::optional<VolumeTraits::Family> readBootFamily(const std::string& device);

// Looks at one entry of the open directory whose name holds an ASCII letter.
CaseProbe probeLetterCase(int directoryFd);

} // namespace tessarin::platform
