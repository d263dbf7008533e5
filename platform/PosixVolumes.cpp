#include "platform/PosixVolumes.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <unordered_set>
#include <vector>

#include "platform/DirectoryStream.h"
#include "platform/MountInfo.h"
#include "platform/NameRules.h"
#include "platform/PathOpen.h"
#include "platform/PosixFileSystem.h"

namespace tessarin::platform {

namespace {

using Permissions = VolumeTraits::Permissions;

bool isFuseblk(std::string_view type)
{
    // A block-device FUSE driver (exfat-fuse, ntfs-3g): "fuseblk", or the
    // driver's own name where it was mounted by type.
    return type == "fuseblk" || type.substr(0, 8) == "fuseblk.";
}

bool fuseTypeIs(std::string_view type, std::string_view driver)
{
    return type == std::string("fuse.").append(driver) || type == std::string("fuseblk.").append(driver);
}

bool isFuseFat(std::string_view type)
{
    return fuseTypeIs(type, "fusefat") || fuseTypeIs(type, "vfat") || fuseTypeIs(type, "fat");
}

bool isFuseExfat(std::string_view type)
{
    return fuseTypeIs(type, "exfat") || fuseTypeIs(type, "exfat-fuse");
}

bool isFuseNtfs(std::string_view type)
{
    return fuseTypeIs(type, "ntfs-3g") || fuseTypeIs(type, "ntfs") || fuseTypeIs(type, "lowntfs-3g");
}

bool hasAsciiLetter(const char* name)
{
    for (; *name; ++name)
        if ((*name >= 'a' && *name <= 'z') || (*name >= 'A' && *name <= 'Z'))
            return true;
    return false;
}

std::string flipAsciiCase(const char* name)
{
    std::string flipped(name);
    for (char& c : flipped) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return flipped;
}

} // namespace

bool stampsWithKernelClock(unsigned long magic)
{
    constexpr unsigned long kMagicNfs = 0x6969, kMagicSmb2 = 0xfe534d42, kMagicCifs = 0xff534d42;
    for (const unsigned long own :
         {kMagicFuse, kMagicMsdos, kMagicExfat, kMagicNtfs3, kMagicNtfs, kMagicNfs, kMagicSmb2, kMagicCifs})
        if (magic == own)
            return false;
    return true;
}

bool isRefusedByVolume(int error)
{
    return error == EPERM || error == ENOSYS || error == EOPNOTSUPP || error == ENOTSUP || error == EINVAL;
}

bool needsCaseProbe(unsigned long magic, std::string_view mountType)
{
    if (magic == kMagicNtfs3 || magic == kMagicNtfs)
        return true; // NTFS is case-sensitive unless the volume says otherwise
    if (magic != kMagicFuse)
        return false;
    return isFuseblk(mountType) || isFuseNtfs(mountType);
}

VolumeTraits decideVolumeTraits(unsigned long magic, std::string_view mountType, CaseProbe probe,
                                VolumeTraits::Family blockFamily)
{
    using Family = VolumeTraits::Family;
    VolumeTraits traits;
    switch (magic) {
    case kMagicMsdos: // kernel vfat and msdos
        traits.family = Family::Fat;
        traits.permissions = Permissions::ReadOnlyOnly;
        traits.caseInsensitive = true;
        traits.timeResolutionSeconds = 2;
        return traits;
    case kMagicExfat:
        traits.family = Family::Exfat;
        traits.permissions = Permissions::ReadOnlyOnly;
        traits.caseInsensitive = true;
        return traits;
    case kMagicNtfs3:
    case kMagicNtfs:
        traits.family = Family::Ntfs;
        traits.permissions = Permissions::ReadOnlyOnly;
        traits.caseInsensitive = probe == CaseProbe::Insensitive;
        return traits;
    case kMagicFuse:
        break;
    default:
        return traits;
    }
    // The FUSE drivers of these volumes show every file with one fixed mode.
    if (isFuseFat(mountType)) {
        traits.family = Family::Fat;
        traits.permissions = Permissions::None;
        traits.caseInsensitive = true;
        traits.timeResolutionSeconds = 2;
    } else if (isFuseExfat(mountType)) {
        traits.family = Family::Exfat;
        traits.permissions = Permissions::None;
        traits.caseInsensitive = true;
    } else if (isFuseNtfs(mountType)) {
        traits.family = Family::Ntfs;
        traits.permissions = Permissions::None;
        traits.caseInsensitive = probe == CaseProbe::Insensitive;
    } else if (fuseTypeIs(mountType, "sshfs")) {
        // The server's own rules for names, case and permission bits, but
        // SFTP (version 3) carries whole seconds in 32 bits without sign.
        traits.sftpTimes = true;
    } else if (isFuseblk(mountType)) {
        // exfat-fuse or ntfs-3g, which the type does not tell apart. With no
        // name to try, matching without regard to case is the safe side: it
        // can only merge names that the volume itself would merge or keep apart.
        traits.family = blockFamily;
        traits.permissions = Permissions::None;
        traits.caseInsensitive = probe == CaseProbe::Insensitive || probe == CaseProbe::NoEntry;
    }
    return traits;
}

std::optional<VolumeTraits::Family> readBootFamily(const std::string& device)
{
    // Both name themselves at byte 3 of the boot sector.
    const Fd fd(openPath(device, O_RDONLY | O_NONBLOCK | O_NOCTTY));
    char name[8];
    if (!fd.valid() || ::pread(fd.get(), name, sizeof name, 3) != static_cast<ssize_t>(sizeof name))
        return std::nullopt;
    const std::string_view oem(name, sizeof name);
    if (oem == "EXFAT   ")
        return VolumeTraits::Family::Exfat;
    if (oem == "NTFS    ")
        return VolumeTraits::Family::Ntfs;
    return std::nullopt;
}

CaseProbe probeLetterCase(int directoryFd)
{
    DirectoryStream dir = DirectoryStream::copyOf(directoryFd);
    if (!dir.isOpen())
        return CaseProbe::NoEntry;
    // The names as listed: a FUSE driver may give one file a new inode
    // number under each spelling, so the test is whether the flipped name
    // resolves without being an entry of its own.
    std::unordered_set<std::string> names;
    std::vector<std::string> candidates;
    constexpr std::size_t kMostNames = 100000;
    while (const dirent* e = dir.next()) {
        if (names.size() == kMostNames)
            break;
        names.insert(e->d_name);
        if (candidates.size() < 16 && hasAsciiLetter(e->d_name))
            candidates.emplace_back(e->d_name);
    }
    const bool allNames = names.size() < kMostNames;
    for (const std::string& name : candidates) {
        const std::string other = flipAsciiCase(name.c_str());
        if (names.count(other))
            return CaseProbe::Sensitive; // both spellings are entries: two files
        struct stat original, flipped;
        if (::fstatat(directoryFd, name.c_str(), &original, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (::fstatat(directoryFd, other.c_str(), &flipped, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT)
                return CaseProbe::Sensitive;
            continue;
        }
        if (original.st_ino == flipped.st_ino || allNames)
            return CaseProbe::Insensitive;
    }
    return CaseProbe::NoEntry;
}

namespace {

// The traits of the volume holding the directory open at dirFd (st is its
// stat), from statfs and the mount table; letter case is probed only where
// probeCase is set, as the probe reads the directory.
std::optional<VolumeTraits> traitsOfVolume(int dirFd, const struct stat& st, bool probeCase)
{
    struct statfs fs;
    if (::fstatfs(dirFd, &fs) != 0)
        return std::nullopt;
    const unsigned long magic = static_cast<unsigned long>(fs.f_type);
    std::optional<MountRecord> mount;
    if (magic == kMagicFuse) {
        mount = findMount(readMountInfo(), major(st.st_dev), minor(st.st_dev));
    }
    const std::string type = mount ? mount->type : std::string();
    CaseProbe probe = CaseProbe::NotMade;
    if (probeCase && needsCaseProbe(magic, type)) {
        probe = probeLetterCase(dirFd);
        if (probe == CaseProbe::NoEntry) {
            if (!mount) {
                mount = findMount(readMountInfo(), major(st.st_dev), minor(st.st_dev));
            }
            // The mount point lies on the same volume: its entries tell as well.
            const Fd top = mount ? openPath(mount->mountPoint, O_RDONLY | O_DIRECTORY | O_CLOEXEC) : Fd();
            struct stat topSt;
            if (top.valid() && ::fstat(top.get(), &topSt) == 0 && topSt.st_dev == st.st_dev)
                probe = probeLetterCase(top.get());
        }
    }
    VolumeTraits::Family blockFamily = VolumeTraits::Family::Exfat;
    if (mount && type.substr(0, 7) == "fuseblk")
        blockFamily = readBootFamily(mount->source).value_or(blockFamily);
    return decideVolumeTraits(magic, type, probe, blockFamily);
}

} // namespace

VolumeTraits PosixFileSystem::volumeTraits(const std::string& directory)
{
    const Fd dir(openPath(directory, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat st;
    if (!dir.valid() || ::fstat(dir.get(), &st) != 0)
        return VolumeTraits{};
    {
        std::lock_guard<std::mutex> lock(volumeMutex_);
        if (const auto known = knownVolumes_.find(st.st_dev); known != knownVolumes_.end())
            return known->second;
    }
    const std::optional<VolumeTraits> traits = traitsOfVolume(dir.get(), st, true);
    if (!traits)
        return VolumeTraits{};
    std::lock_guard<std::mutex> lock(volumeMutex_);
    knownVolumes_.emplace(st.st_dev, *traits);
    return *traits;
}

std::optional<FsResult> PosixFileSystem::refuseName(int dirFd, const std::string& name)
{
    // FAT's rules are the strictest: a name it holds, every family holds.
    if (!nameRefusal(name, VolumeTraits::Family::Fat))
        return std::nullopt;
    struct stat st;
    if (::fstat(dirFd, &st) != 0)
        return std::nullopt; // the change itself reports what is wrong
    std::optional<VolumeTraits::Family> family;
    {
        std::lock_guard<std::mutex> lock(volumeMutex_);
        if (const auto known = knownVolumes_.find(st.st_dev); known != knownVolumes_.end())
            family = known->second.family;
        else if (const auto seen = knownFamilies_.find(st.st_dev); seen != knownFamilies_.end())
            family = seen->second;
    }
    if (!family) {
        // The family needs no case probe, which would read the directory.
        family = traitsOfVolume(dirFd, st, false).value_or(VolumeTraits{}).family;
        std::lock_guard<std::mutex> lock(volumeMutex_);
        knownFamilies_.emplace(st.st_dev, *family);
    }
    if (auto reason = nameRefusal(name, *family))
        return FsResult(FsResult::Refusal::NameRefused, std::move(*reason));
    return std::nullopt;
}

VolumeTraits PosixFileSystem::deviceTraits(dev_t device, int fd)
{
    {
        std::lock_guard<std::mutex> lock(volumeMutex_);
        if (const auto known = knownVolumes_.find(device); known != knownVolumes_.end())
            return known->second;
        if (const auto known = deviceTraits_.find(device); known != deviceTraits_.end())
            return known->second;
    }
    struct statfs fs;
    if (::fstatfs(fd, &fs) != 0)
        return VolumeTraits{};
    const unsigned long magic = static_cast<unsigned long>(fs.f_type);
    std::optional<MountRecord> mount;
    if (magic == kMagicFuse) {
        mount = findMount(readMountInfo(), major(device), minor(device));
    }
    const std::string type = mount ? mount->type : std::string();
    VolumeTraits::Family blockFamily = VolumeTraits::Family::Exfat;
    if (mount && type.substr(0, 7) == "fuseblk")
        blockFamily = readBootFamily(mount->source).value_or(blockFamily);
    const VolumeTraits traits = decideVolumeTraits(magic, type, CaseProbe::NotMade, blockFamily);
    std::lock_guard<std::mutex> lock(volumeMutex_);
    deviceTraits_.emplace(device, traits);
    return traits;
}

} // namespace tessarin::platform
