// The fail-safe copy: content into a temporary file beside the target, then a
// rename over it, so the target is either the old file or the complete new one.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>
#include <utility>
#include <vector>

#if __has_include(<linux/fs.h>)
#include <linux/fs.h>
#endif

#include "platform/FileIo.h"
#include "platform/IoSteps.h"
#include "platform/PosixFileSystem.h"
#include "platform/PosixVolumes.h"
#include "platform/TemporaryFile.h"

namespace tessarin::platform {

namespace {

// Errors that mean "this way of copying is not offered here", as opposed to a
// real failure (no space, file too large, I/O error) that must end the copy.
bool isUnsupported(int error)
{
    return error == ENOSYS || error == EOPNOTSUPP || error == ENOTSUP || error == EXDEV || error == EINVAL ||
           error == ENOTTY || error == EBADF;
}

enum class Step { Done, Unsupported, Failed };

// The most one call of the kernel's copy moves: each piece counts as an I/O
// step, so a long copy shows that it lives.
constexpr std::size_t kPieceBytes = std::size_t{8} << 20;

// copy_file_range from the offsets on until the end of the source, which is
// its size when it was opened: a file growing meanwhile is copied as it was.
Step copyByRange(int in, int out, off_t& offset, off_t size)
{
    while (offset < size) {
        off_t inOffset = offset, outOffset = offset;
        const ssize_t n = ::copy_file_range(in, &inOffset, out, &outOffset, kPieceBytes, 0);
        if (n > 0) {
            countIoStep();
            offset += n;
            continue;
        }
        if (n == 0)
            // Some file systems answer 0 at once for files they cannot copy in
            // the kernel; the next way copies those.
            return offset == 0 ? Step::Unsupported : Step::Done;
        if (errno == EINTR)
            continue;
        return isUnsupported(errno) ? Step::Unsupported : Step::Failed;
    }
    return Step::Done;
}

Step copyBySendfile(int in, int out, off_t& offset)
{
    if (::lseek(out, offset, SEEK_SET) < 0)
        return Step::Failed;
    for (;;) {
        off_t inOffset = offset;
        const ssize_t n = ::sendfile(out, in, &inOffset, kPieceBytes);
        if (n > 0) {
            countIoStep();
            offset += n;
            continue;
        }
        if (n == 0)
            return Step::Done;
        if (errno == EINTR)
            continue;
        return isUnsupported(errno) ? Step::Unsupported : Step::Failed;
    }
}

Step copyByReadWrite(int in, int out, off_t& offset)
{
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const ssize_t n = ::pread(in, buffer.data(), buffer.size(), offset);
        if (n == 0)
            return Step::Done;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Step::Failed;
        }
        if (!writeAll(out, std::string_view(buffer.data(), static_cast<std::size_t>(n)), offset))
            return Step::Failed;
        countIoStep();
        offset += n;
    }
}

// The data ranges of a sparse source, found with SEEK_DATA / SEEK_HOLE, so
// the holes stay holes; the size is set at the end. Unsupported where the
// file system cannot tell its holes.
Step copyDataRanges(int in, int out, off_t size)
{
    off_t offset = 0;
    while (offset < size) {
        const off_t data = ::lseek(in, offset, SEEK_DATA);
        if (data < 0) {
            if (errno == ENXIO)
                break; // only a hole is left
            return offset == 0 && isUnsupported(errno) ? Step::Unsupported : Step::Failed;
        }
        off_t hole = ::lseek(in, data, SEEK_HOLE);
        if (hole < 0)
            return Step::Failed;
        hole = std::min(hole, size);
        std::vector<char> buffer(1 << 20);
        for (off_t at = data; at < hole;) {
            const auto want = static_cast<std::size_t>(std::min<off_t>(hole - at, static_cast<off_t>(buffer.size())));
            const ssize_t n = ::pread(in, buffer.data(), want, at);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return Step::Failed;
            if (n == 0) // shrunk meanwhile: the end is here
                return ::ftruncate(out, at) == 0 ? Step::Done : Step::Failed;
            if (!writeAll(out, std::string_view(buffer.data(), static_cast<std::size_t>(n)), at))
                return Step::Failed;
            countIoStep();
            at += n;
        }
        offset = hole;
    }
    return ::ftruncate(out, size) == 0 ? Step::Done : Step::Failed;
}

// Gives the copy the source's owner where it may, and never the setuid or
// setgid bit without the owner and group they belong to. made is the new
// file as it was created. Returns the mode to apply.
mode_t ownedMode(int out, const struct stat& source, const struct stat& made)
{
    static const bool mayGiveOwners = ::geteuid() == 0;
    const mode_t mode = source.st_mode & 07777;
    bool owned = made.st_uid == source.st_uid && made.st_gid == source.st_gid;
    if (!owned && mayGiveOwners)
        owned = ::fchown(out, source.st_uid, source.st_gid) == 0; // a volume without owners refuses
    constexpr mode_t kSetIds = S_ISUID | S_ISGID;
    if (!(mode & kSetIds))
        return mode;
    // Some volumes accept an owner without keeping it: the bits go only
    // with the owner read back.
    struct stat written;
    if (!owned || ::fstat(out, &written) != 0 || written.st_uid != source.st_uid || written.st_gid != source.st_gid)
        return mode & ~kSetIds;
    return mode;
}

// The mode of a copy whose source lies on a volume that keeps no permission
// bits (it shows every file alike, often 0777): a new file's 0666 less the
// umask, without the write bits where the source is read-only.
mode_t plainMode(const struct stat& source, mode_t umask)
{
    mode_t mode = 0666 & ~umask;
    if (!(source.st_mode & S_IWUSR))
        mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    return mode;
}

// Clamps the times into the FAT years, which FAT and exFAT hold in local
// time (zoneOffset east of UTC, as the compare takes it): their drivers
// would store another year.
void clampToFatYears(struct stat& times, std::int64_t zoneOffset)
{
    for (struct timespec* t : {&times.st_atim, &times.st_mtim}) {
        const std::int64_t local = static_cast<std::int64_t>(t->tv_sec) + zoneOffset;
        if (local < kEarliestFatTime || local > kLatestFatTime) {
            t->tv_sec =
                static_cast<time_t>((local < kEarliestFatTime ? kEarliestFatTime : kLatestFatTime) - zoneOffset);
            t->tv_nsec = 0;
        }
    }
}

// Clamps the times into those SFTP carries: sshfs would send the low 32 bits.
void clampToSftpYears(struct stat& times)
{
    for (struct timespec* t : {&times.st_atim, &times.st_mtim}) {
        if (t->tv_sec < kEarliestSftpTime || t->tv_sec > kLatestSftpTime) {
            t->tv_sec = static_cast<time_t>(t->tv_sec < kEarliestSftpTime ? kEarliestSftpTime : kLatestSftpTime);
            t->tv_nsec = 0;
        }
    }
}

// Whether a UTC time lies near or outside the FAT years, in any zone, or
// outside SFTP's: only then do the target's traits matter.
bool nearHeldLimits(time_t seconds)
{
    constexpr std::int64_t kTwoDays = 2 * 86400;
    return seconds < kEarliestFatTime + kTwoDays || seconds > kLatestSftpTime;
}

// Sets the times, coarser where the volume keeps no finer ones: first as
// they are, then to the whole second, then to the even second below.
// apply sets them and returns 0 or the error.
template <typename Apply> int setTimes(const struct stat& source, Apply apply)
{
    struct timespec times[2] = {source.st_atim, source.st_mtim};
    int error = apply(times);
    for (int step = 0; error != 0 && step < 2; ++step) {
        for (struct timespec& t : times) {
            t.tv_nsec = 0;
            if (step == 1)
                t.tv_sec -= t.tv_sec & 1;
        }
        error = apply(times);
    }
    return error;
}

// Whether a file's time is the source's, to the 2 seconds of the coarsest volume.
bool timeKept(const struct stat& written, const struct stat& source)
{
    const auto difference = written.st_mtim.tv_sec - source.st_mtim.tv_sec;
    return difference >= -2 && difference <= 2;
}

// The refusal of a copy whose target name is taken by an entry it may not
// replace: a directory (the system's own reason), a link to one, or a file
// the compare did not list there.
FsResult standingInTheWay(int dir, const std::string& name)
{
    struct stat st;
    if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return FsResult::failure(errno);
    FsResult refused(FsResult::Refusal::TargetExists, "目标位置已有同名的文件，没有覆盖");
    refused.found = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
    struct stat followed;
    if (S_ISDIR(st.st_mode)) {
        refused.error = systemErrorText(EISDIR);
        refused.errorNumber = EISDIR;
    } else if (S_ISLNK(st.st_mode) && ::fstatat(dir, name.c_str(), &followed, 0) == 0 && S_ISDIR(followed.st_mode))
        refused.error = "目标位置是一个指向目录的链接，没有替换";
    return refused;
}

// Just before the rename: whether the target is still what the caller
// expects there. A directory or a link to one is never replaced.
FsResult checkTarget(int dir, const std::string& name, const TargetExpectation& expected)
{
    if (expected.kind == TargetExpectation::Kind::Nothing)
        return {}; // the rename itself refuses to replace
    struct stat st;
    if (::fstatat(dir, name.c_str(), &st, 0) != 0) {
        if (errno == ENOENT)
            return {}; // gone, or a broken link: nothing is lost by writing
        return FsResult::failure(errno);
    }
    if (S_ISDIR(st.st_mode))
        return standingInTheWay(dir, name);
    if (expected.kind == TargetExpectation::Kind::Listed &&
        (static_cast<std::uint64_t>(st.st_size) != expected.size || st.st_mtim.tv_sec != expected.modifiedSeconds))
        return {FsResult::Refusal::TargetChanged, "目标文件在比较之后被改动过，没有覆盖"};
    return {};
}

} // namespace

bool PosixFileSystem::mayRestampTimes(dev_t device, int dirFd)
{
    std::lock_guard lock(restampMutex_);
    if (const auto known = restampingDevices_.find(device); known != restampingDevices_.end())
        return known->second;
    struct statfs fs;
    // Unknown counts as FUSE: checking once too often costs one stat.
    const bool fuse = ::fstatfs(dirFd, &fs) != 0 || static_cast<unsigned long>(fs.f_type) == kMagicFuse;
    restampingDevices_.emplace(device, fuse);
    return fuse;
}

bool PosixFileSystem::mayClone(DevicePair devices)
{
    std::lock_guard lock(cloneMutex_);
    return std::find(noClonePairs_.begin(), noClonePairs_.end(), devices) == noClonePairs_.end();
}

void PosixFileSystem::cloneRefused(DevicePair devices)
{
    std::lock_guard lock(cloneMutex_);
    if (std::find(noClonePairs_.begin(), noClonePairs_.end(), devices) == noClonePairs_.end())
        noClonePairs_.push_back(devices);
}

FsResult PosixFileSystem::copyFile(const TreePath& source, const TreePath& target, const TargetExpectation& expected)
{
    // Non-blocking, so that a FIFO or device swapped in never hangs the copy.
    // Opened beneath the source's root as it stands now: a link of another
    // user's put in since the compare does not take the read out of it.
    Fd sourceRoot(openRoot(source));
    Fd in = sourceRoot.valid()
                ? openThroughOwnLinks(sourceRoot.get(), source.relative.text(), O_RDONLY | O_NONBLOCK | O_NOCTTY)
                : Fd();
    if (!in.valid())
        return errno == kOutsideRoot ? FsResult(othersLinkText()) : FsResult::failure(errno);
    struct stat st;
    if (::fstat(in.get(), &st) != 0)
        return FsResult::failure(errno);
    // O_NONBLOCK has no effect on a regular file's reads: it can stay.
    if (!S_ISREG(st.st_mode))
        return {"源文件不是普通文件"};

    Fd root(openRoot(target));
    if (!root.valid())
        return FsResult::failure(errno);
    std::string name;
    Fd parent = openParentBeneath(root.get(), target.relative.text(), name);
    if (!parent.valid())
        return changeFailure(errno);
    if (auto refused = refuseName(parent.get(), name))
        return std::move(*refused);
    // Until the commit, every way out removes the temporary file.
    TemporaryFile out = TemporaryFile::create(std::move(parent), O_RDWR, 0600);
    if (!out.created())
        return FsResult::failure(errno);
    const int dir = out.directory();
    const auto fail = [](int error) { return FsResult::failure(error); };
    struct stat made;
    if (::fstat(out.fd(), &made) != 0)
        return fail(errno);
    noteWritten(static_cast<std::uint64_t>(made.st_dev), dir);

    bool copied = false;
#ifdef FICLONE
    // A clone shares the blocks (copy-on-write) where the file system offers
    // it. A refusal holds for this pair of devices only: the source's volume
    // may still clone onto itself (a cross-device EXDEV says nothing of that).
    const PosixFileSystem::DevicePair devices{static_cast<std::uint64_t>(st.st_dev),
                                              static_cast<std::uint64_t>(made.st_dev)};
    if (st.st_size > 0 && mayClone(devices)) {
        if (::ioctl(out.fd(), FICLONE, in.get()) == 0)
            copied = true;
        else if (isUnsupported(errno))
            cloneRefused(devices);
        else
            return fail(errno);
    }
#endif
    // Fewer blocks than bytes: the source has holes, which are kept.
    if (!copied && static_cast<off_t>(st.st_blocks) * 512 < st.st_size) {
        const Step step = copyDataRanges(in.get(), out.fd(), st.st_size);
        if (step == Step::Failed)
            return fail(errno);
        copied = step == Step::Done;
    }
    if (!copied) {
        off_t offset = 0;
        Step step = copyByRange(in.get(), out.fd(), offset, st.st_size);
        if (step == Step::Unsupported)
            step = copyBySendfile(in.get(), out.fd(), offset);
        if (step == Step::Unsupported)
            step = copyByReadWrite(in.get(), out.fd(), offset);
        if (step != Step::Done)
            return fail(errno);
    }

    // Owner, permission bits, then the times last: nothing writes after them.
    // A volume that keeps no permission bits refusing them is no failure.
    // Both volumes' traits are known by device after the first copy.
    const bool sourceKeepsModes = deviceTraits(st.st_dev, in.get()).permissions == VolumeTraits::Permissions::All;
    const mode_t mode = sourceKeepsModes ? ownedMode(out.fd(), st, made) : plainMode(st, umask_);
    if (::fchmod(out.fd(), mode) != 0 && !isRefusedByVolume(errno))
        return fail(errno);
    struct stat stamped = st;
    if (nearHeldLimits(st.st_mtim.tv_sec) || nearHeldLimits(st.st_atim.tv_sec)) {
        const VolumeTraits target = deviceTraits(made.st_dev, out.fd());
        if (target.family == VolumeTraits::Family::Fat || target.family == VolumeTraits::Family::Exfat)
            clampToFatYears(stamped, zoneOffsetNow());
        else if (target.sftpTimes)
            clampToSftpYears(stamped);
    }
    const int descriptor = out.fd();
    if (const int error = setTimes(
            stamped, [&](const struct timespec* times) { return ::futimens(descriptor, times) == 0 ? 0 : errno; }))
        return fail(error);
    if (const FsResult refused = checkTarget(dir, name, expected); !refused.ok())
        return refused;
    const bool onlyNew = expected.kind == TargetExpectation::Kind::Nothing;
    if ((onlyNew ? out.commitNew(name) : out.commit(name)) != 0) {
        if (errno == EEXIST && onlyNew)
            return standingInTheWay(dir, name);
        // SFTP's own rename never replaces: sshfs replaces only through the
        // server's posix-rename, or by moving the old file aside itself.
        const int error = errno;
        if (!onlyNew && error == EPERM && deviceTraits(made.st_dev, dir).sftpTimes)
            return {"SFTP 服务器不能替换已有的文件（它没有 posix-rename 扩展），没有覆盖；用 sshfs 的 -o "
                    "workaround=rename 挂载后可以替换"};
        return fail(error);
    }
    FsResult result;
    result.written = {static_cast<std::uint64_t>(made.st_dev), static_cast<std::uint64_t>(made.st_ino)};
    // Some FUSE drivers stamp the time on close or rename: then it is set
    // again by name. Kernel file systems keep what futimens set.
    if (!mayRestampTimes(made.st_dev, dir))
        return result;
    struct stat placed;
    if (::fstatat(dir, name.c_str(), &placed, AT_SYMLINK_NOFOLLOW) != 0)
        return FsResult::failure(errno);
    result.written = {static_cast<std::uint64_t>(placed.st_dev), static_cast<std::uint64_t>(placed.st_ino)};
    if (!timeKept(placed, stamped))
        if (const int error = setTimes(stamped, [&](const struct timespec* times) {
                return ::utimensat(dir, name.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno;
            }))
            return FsResult::failure(error);
    return result;
}

} // namespace tessarin::platform
