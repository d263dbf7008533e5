#include "platform/PosixFileReader.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "platform/Fd.h"

namespace tessarin::platform {

namespace {

class PosixInputFile : public InputFile {
public:
    PosixInputFile(Fd fd, const struct stat& st)
        : fd_(std::move(fd)), id_{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)},
          size_(static_cast<std::uint64_t>(st.st_size))
    {}

    std::int64_t read(std::uint8_t* buffer, std::size_t size) override
    {
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::read(fd_.get(), buffer + done, size - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else if (n == 0) {
                break;
            } else if (errno != EINTR) {
                return -1;
            }
        }
        return static_cast<std::int64_t>(done);
    }

    FileId id() const override { return id_; }
    std::uint64_t size() const override { return size_; }

private:
    Fd fd_;
    FileId id_;
    std::uint64_t size_;
};

} // namespace

std::unique_ptr<InputFile> PosixFileReader::openForReading(const std::string& path)
{
    // Only regular files are opened: opening a FIFO would block, opening a
    // device can have effects of its own.
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return nullptr;
    // O_NONBLOCK keeps the open from hanging should the path have been
    // replaced by a FIFO since the check; the check after it rejects that.
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return nullptr;
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    return std::make_unique<PosixInputFile>(std::move(fd), st);
}

} // namespace tessarin::platform
