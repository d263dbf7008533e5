// The fail-safe copy: content into a temporary file beside the target, then a
// rename over it, so the target is either the old file or the complete new one.
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#if __has_include(<linux/fs.h>)
#include <linux/fs.h>
#endif

#include "platform/PathText.h"
#include "platform/PosixFileSystem.h"

namespace tessarin::platform {

namespace {

// Closes a descriptor on every path out.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    // Closes now, reporting the error a late write may surface here.
    int close()
    {
        const int status = ::close(fd_);
        fd_ = -1;
        return status;
    }

private:
    int fd_;
};

// Errors that mean "this way of copying is not offered here", as opposed to a
// real failure (no space, file too large, I/O error) that must end the copy.
bool isUnsupported(int error)
{
    return error == ENOSYS || error == EOPNOTSUPP || error == ENOTSUP || error == EXDEV || error == EINVAL ||
           error == ENOTTY || error == EBADF;
}

enum class Step { Done, Unsupported, Failed };

// copy_file_range from the offsets on until the end of the source.
Step copyByRange(int in, int out, off_t& offset, bool sourceHasBytes)
{
    for (;;) {
        off_t inOffset = offset, outOffset = offset;
        const ssize_t n = ::copy_file_range(in, &inOffset, out, &outOffset, 1 << 30, 0);
        if (n > 0) {
            offset += n;
            continue;
        }
        if (n == 0)
            // Some file systems answer 0 at once for files they cannot copy in
            // the kernel; the next way copies those.
            return offset == 0 && sourceHasBytes ? Step::Unsupported : Step::Done;
        if (errno == EINTR)
            continue;
        return isUnsupported(errno) ? Step::Unsupported : Step::Failed;
    }
}

Step copyBySendfile(int in, int out, off_t& offset)
{
    if (::lseek(out, offset, SEEK_SET) < 0)
        return Step::Failed;
    for (;;) {
        off_t inOffset = offset;
        const ssize_t n = ::sendfile(out, in, &inOffset, 1 << 30);
        if (n > 0) {
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
        for (ssize_t written = 0; written < n;) {
            const ssize_t w = ::pwrite(out, buffer.data() + written, static_cast<std::size_t>(n - written),
                                       offset + written);
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                return Step::Failed;
            }
            written += w;
        }
        offset += n;
    }
}

} // namespace

bool PosixFileSystem::mayClone(std::uint64_t device)
{
    std::lock_guard lock(cloneMutex_);
    return std::find(noCloneDevices_.begin(), noCloneDevices_.end(), device) == noCloneDevices_.end();
}

void PosixFileSystem::cloneRefused(std::uint64_t device)
{
    std::lock_guard lock(cloneMutex_);
    if (std::find(noCloneDevices_.begin(), noCloneDevices_.end(), device) == noCloneDevices_.end())
        noCloneDevices_.push_back(device);
}

FsResult PosixFileSystem::copyFile(const std::string& source, const std::string& target)
{
    FileDescriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0)
        return {systemErrorText(errno)};
    struct stat st;
    if (::fstat(in.get(), &st) != 0)
        return {systemErrorText(errno)};
    if (!S_ISREG(st.st_mode))
        return {systemErrorText(EINVAL)};

    std::string temporary = parentDirectory(target) + "/.tessarin-XXXXXX";
    FileDescriptor out(::mkostemp(temporary.data(), O_CLOEXEC));
    if (out.get() < 0)
        return {systemErrorText(errno)};

    // From here on every failure removes the temporary file.
    auto fail = [&](int error) {
        ::unlink(temporary.c_str());
        return FsResult{systemErrorText(error)};
    };

    bool copied = false;
#ifdef FICLONE
    // A clone shares the blocks (copy-on-write) where the file system offers it.
    const auto device = static_cast<std::uint64_t>(st.st_dev);
    if (st.st_size > 0 && mayClone(device)) {
        if (::ioctl(out.get(), FICLONE, in.get()) == 0)
            copied = true;
        else if (isUnsupported(errno))
            cloneRefused(device);
        else
            return fail(errno);
    }
#endif
    if (!copied) {
        off_t offset = 0;
        Step step = copyByRange(in.get(), out.get(), offset, st.st_size > 0);
        if (step == Step::Unsupported)
            step = copyBySendfile(in.get(), out.get(), offset);
        if (step == Step::Unsupported)
            step = copyByReadWrite(in.get(), out.get(), offset);
        if (step != Step::Done)
            return fail(errno);
    }

    // Permission bits, then the times last: nothing writes after them.
    if (::fchmod(out.get(), st.st_mode & 07777) != 0)
        return fail(errno);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (::futimens(out.get(), times) != 0)
        return fail(errno);
    if (out.close() != 0)
        return fail(errno);
    if (::rename(temporary.c_str(), target.c_str()) != 0)
        return fail(errno);
    return {};
}

} // namespace tessarin::platform
