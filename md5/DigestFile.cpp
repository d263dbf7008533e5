#include <memory>

#include "md5/Md5.h"
#include "platform/FileReader.h"

namespace tessarin::md5 {

namespace {
// Read block: a whole number of 64-byte blocks, so every full read is
// compressed in place; small enough to stay in the processor's cache.
constexpr std::size_t kReadBlock = 128 * 1024;
static_assert(kReadBlock % 64 == 0);
} // namespace

std::optional<DigestBytes> tryDigestFile(platform::FileReader& reader, const std::string& path)
{
    const std::unique_ptr<platform::InputFile> file = reader.openForReading(path);
    if (!file)
        return std::nullopt;
    return tryDigestFile(*file);
}

std::optional<DigestBytes> tryDigestFile(platform::FileReader& reader, const std::string& path, std::uint64_t limit)
{
    const std::unique_ptr<platform::InputFile> file = reader.openForReading(path);
    if (!file)
        return std::nullopt;
    return tryDigestFile(*file, limit);
}

std::optional<DigestBytes> tryDigestFile(platform::InputFile& file)
{
    return tryDigestFile(file, UINT64_MAX - 1);
}

std::optional<DigestBytes> tryDigestFile(platform::InputFile& file, std::uint64_t limit)
{
    DigestContext context;
    DigestInit(context);
    // On the stack: the unit allocates nothing, and computations may run side by side.
    alignas(64) std::uint8_t block[kReadBlock];
    std::uint64_t total = 0;
    for (;;) {
        // One byte beyond the limit tells a longer file from one of exactly that size.
        const std::uint64_t allowed = limit - total + 1;
        const std::size_t want = allowed < sizeof block ? static_cast<std::size_t>(allowed) : sizeof block;
        const std::int64_t n = file.read(block, want);
        if (n < 0 || (total += static_cast<std::uint64_t>(n)) > limit) {
            DigestFinal(context);
            return std::nullopt;
        }
        DigestUpdate(context, block, static_cast<std::size_t>(n));
        if (static_cast<std::size_t>(n) < want)
            break;
    }
    return DigestFinal(context);
}

} // namespace tessarin::md5
