#include "platform/TemporaryFile.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "platform/FileSystem.h"

namespace tessarin::platform {

TemporaryFile TemporaryFile::create(Fd directory, int access, mode_t mode)
{
    // The names need not be secret (O_EXCL makes the file ours), only
    // unlikely to meet: each thread draws them from a generator seeded once,
    // so a name costs no system call. 36 to the 12th power is below 2 to the
    // 64th: one draw gives 12 characters.
    constexpr std::size_t kPerDraw = 12;
    static_assert(kTemporaryRandomLength % kPerDraw == 0);
    thread_local std::mt19937_64 random = [] {
        std::uint64_t seed = 0;
        if (::getrandom(&seed, sizeof seed, 0) != static_cast<ssize_t>(sizeof seed))
            seed = static_cast<std::uint64_t>(::getpid()) ^ reinterpret_cast<std::uintptr_t>(&seed);
        return std::mt19937_64(seed);
    }();
    std::string name;
    for (int attempt = 0; attempt < 100; ++attempt) {
        name.assign(kTemporaryMarker);
        while (name.size() < kTemporaryMarker.size() + kTemporaryRandomLength) {
            std::uint64_t draw = random();
            for (std::size_t i = 0; i < kPerDraw; ++i, draw /= kTemporaryAlphabet.size())
                name += kTemporaryAlphabet[draw % kTemporaryAlphabet.size()];
        }
        Fd file(::openat(directory.get(), name.c_str(), access | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
        if (file.valid())
            return TemporaryFile(std::move(directory), std::move(file), std::move(name));
        if (errno != EEXIST)
            return {};
    }
    errno = EEXIST;
    return {};
}

TemporaryFile::TemporaryFile(Fd directory, Fd file, std::string name)
    : directory_(std::move(directory)), file_(std::move(file)), name_(std::move(name))
{}

TemporaryFile::~TemporaryFile()
{
    discard();
}

TemporaryFile::TemporaryFile(TemporaryFile&& other) noexcept
    : directory_(std::move(other.directory_)), file_(std::move(other.file_)),
      name_(std::exchange(other.name_, std::string())), committed_(std::exchange(other.committed_, false))
{}

TemporaryFile& TemporaryFile::operator=(TemporaryFile&& other) noexcept
{
    if (this != &other) {
        discard();
        directory_ = std::move(other.directory_);
        file_ = std::move(other.file_);
        name_ = std::exchange(other.name_, std::string());
        committed_ = std::exchange(other.committed_, false);
    }
    return *this;
}

void TemporaryFile::keepModeAndOwnerOf(const std::string& target)
{
    struct stat old {};
    if (::fstatat(directory_.get(), target.c_str(), &old, 0) != 0)
        return;
    ::fchmod(file_.get(), old.st_mode & 07777);
    if (::fchown(file_.get(), old.st_uid, old.st_gid) != 0) {
        // Only a privileged process may give a file away; the new file is then ours.
    }
}

int TemporaryFile::commit(const std::string& target)
{
    return rename(target, false);
}

int TemporaryFile::commitNew(const std::string& target)
{
    return rename(target, true);
}

int TemporaryFile::rename(const std::string& target, bool onlyNew)
{
    if (!created() || committed_) {
        errno = EINVAL;
        return -1;
    }
    if (file_.valid() && file_.close() != 0)
        return -1;
    const int dir = directory_.get();
    if (!onlyNew) {
        if (::renameat(dir, name_.c_str(), dir, target.c_str()) != 0)
            return -1;
    } else if (::renameat2(dir, name_.c_str(), dir, target.c_str(), RENAME_NOREPLACE) != 0) {
        if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return -1;
        // Some FUSE drivers take no flags: a look first, then the plain rename.
        struct stat st;
        if (::fstatat(dir, target.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
            errno = EEXIST;
            return -1;
        }
        if (errno != ENOENT || ::renameat(dir, name_.c_str(), dir, target.c_str()) != 0)
            return -1;
    }
    committed_ = true;
    return 0;
}

void TemporaryFile::discard()
{
    if (!created() || committed_)
        return;
    const int error = errno;
    file_.reset();
    ::unlinkat(directory_.get(), name_.c_str(), 0);
    name_.clear();
    errno = error;
}

} // namespace tessarin::platform
