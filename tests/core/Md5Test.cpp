#include <cstring>
#include <fcntl.h>
#include <future>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "md5/Md5.h"
#include "platform/PosixFileReader.h"
#include "support/FileDigest.h"
#include "support/TempDir.h"

using namespace tessarin::md5;
using testsupport::TempDir;
using testsupport::writeFile;

using testsupport::FileDigestHex;

namespace {

const std::string kEmptyDigest = "d41d8cd98f00b204e9800998ecf8427e";

std::string hexOf(std::string_view message)
{
    DigestContext context;
    DigestInit(context);
    DigestUpdate(context, message.data(), message.size());
    return DigestToHex(DigestFinal(context));
}

// Feeds the message in pieces of the given sizes, cycling through them.
std::string hexInPieces(std::string_view message, const std::vector<std::size_t>& pieces)
{
    DigestContext context;
    DigestInit(context);
    std::size_t at = 0;
    for (std::size_t k = 0; at < message.size(); ++k) {
        const std::size_t n = std::min(pieces[k % pieces.size()], message.size() - at);
        DigestUpdate(context, message.data() + at, n);
        at += n;
    }
    return DigestToHex(DigestFinal(context));
}

std::string patterned(std::size_t size)
{
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        s[i] = static_cast<char>((i * 131 + i / 256) & 0xff);
    return s;
}

} // namespace

TEST(Md5, Rfc1321TestSuite)
{
    EXPECT_EQ(hexOf(""), kEmptyDigest);
    EXPECT_EQ(hexOf("a"), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(hexOf("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(hexOf("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(hexOf("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(hexOf("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "d174ab98d277d9f5a5611c2c9f419d9f");
    EXPECT_EQ(hexOf("1234567890123456789012345678901234567890123456789012345678901234567890"
                    "1234567890"),
              "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(Md5, LengthsAroundThePadBoundary)
{
    // 55 bytes take one pad byte and fit with the count into one block; 56
    // need a second final block. Digests from an independent implementation.
    EXPECT_EQ(hexOf(std::string(55, 'a')), "ef1772b6dff9a122358552954ad0df65");
    EXPECT_EQ(hexOf(std::string(56, 'a')), "3b0c8ac703f828b04c6c197006d17218");
    EXPECT_EQ(hexOf(std::string(63, 'a')), "b06521f39153d618550606be297466d5");
    EXPECT_EQ(hexOf(std::string(64, 'a')), "014842d480b571495a4a0363793f7367");
    EXPECT_EQ(hexOf(std::string(65, 'a')), "c743a45e0d2e6a95cb859adae0248435");
}

TEST(Md5, FeedingInPiecesEqualsFeedingAtOnce)
{
    const std::vector<std::vector<std::size_t>> schedules = {
        {1}, {55}, {56}, {63}, {64}, {65}, {0, 1, 0, 55}, {56, 0, 63, 64, 65}, {1, 64, 127, 3, 200},
    };
    for (const std::size_t size : {0u, 1u, 55u, 56u, 64u, 119u, 120u, 1000u, 4097u}) {
        const std::string message = patterned(size);
        const std::string whole = hexOf(message);
        for (const auto& schedule : schedules)
            EXPECT_EQ(hexInPieces(message, schedule), whole) << "size " << size;
    }
}

TEST(Md5, LowWordOfTheBitCountCarriesAt512MiB)
{
    // 2^29 + 100 bytes of a repeated 4099-byte buffer: the low word of the
    // bit count wraps inside one piece. Digest from an independent implementation.
    std::vector<std::uint8_t> buffer(4099);
    for (std::size_t i = 0; i < buffer.size(); ++i)
        buffer[i] = static_cast<std::uint8_t>(i * 7 + 3);
    const std::uint64_t total = (std::uint64_t{1} << 29) + 100;
    DigestContext context;
    DigestInit(context);
    for (std::uint64_t fed = 0; fed < total;) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), total - fed));
        DigestUpdate(context, buffer.data(), n);
        fed += n;
    }
    EXPECT_EQ(context.count[0], static_cast<std::uint32_t>(total * 8));
    EXPECT_EQ(context.count[1], 1u);
    EXPECT_EQ(DigestToHex(DigestFinal(context)), "6a580ea2c08d8a51a058ad0ab4bf1211");
}

TEST(Md5, FinalLeavesTheContextAllZero)
{
    DigestContext context;
    DigestInit(context);
    const std::string message = patterned(100);
    DigestUpdate(context, message.data(), message.size());
    DigestFinal(context);
    const auto* bytes = reinterpret_cast<const unsigned char*>(&context);
    for (std::size_t i = 0; i < sizeof context; ++i)
        ASSERT_EQ(bytes[i], 0u) << "byte " << i;
}

TEST(Md5, HexTextIsLowerCaseHighNibbleFirst)
{
    DigestBytes digest{};
    digest[0] = 0xab;
    digest[1] = 0x0f;
    digest[2] = 0xf0;
    digest[15] = 0x9c;
    EXPECT_EQ(DigestToHex(digest), "ab0ff0000000000000000000000000"
                                   "9c");
}

TEST(Md5File, ContentAcrossReadBlocksMatchesTheBytes)
{
    TempDir tmp;
    const std::string content = patterned(300 * 1024 + 17);
    writeFile(tmp / "f.bin", content);
    EXPECT_EQ(FileDigestHex(tmp / "f.bin"), hexOf(content));
}

TEST(Md5File, EmptyMissingAndUnreadableGiveTheEmptyDigestButTrySaysWhich)
{
    TempDir tmp;
    writeFile(tmp / "empty", "");
    testsupport::makeDir(tmp / "dir");
    ASSERT_EQ(::mkfifo((tmp / "fifo").c_str(), 0600), 0);
    tessarin::platform::PosixFileReader reader;

    EXPECT_EQ(FileDigestHex(tmp / "empty"), kEmptyDigest);
    ASSERT_TRUE(tryDigestFile(reader, tmp / "empty").has_value());
    EXPECT_EQ(DigestToHex(*tryDigestFile(reader, tmp / "empty")), kEmptyDigest);

    // A FIFO is never opened: reading it would wait for a writer for ever.
    for (const char* name : {"missing", "dir", "fifo"}) {
        EXPECT_EQ(FileDigestHex(tmp / name), kEmptyDigest) << name;
        EXPECT_FALSE(tryDigestFile(reader, tmp / name).has_value()) << name;
    }
}

namespace {

// Reads through the POSIX service, but runs an action after the first read:
// another program shrinking the file, or a failing disk.
class InterferingReader : public tessarin::platform::FileReader {
public:
    std::function<std::int64_t(tessarin::platform::InputFile&, std::uint8_t*, std::size_t)> laterReads;

    std::unique_ptr<tessarin::platform::InputFile> openForReading(const std::string& path) override
    {
        auto inner = posix_.openForReading(path);
        if (!inner)
            return nullptr;
        return std::make_unique<File>(std::move(inner), *this);
    }

private:
    struct File : tessarin::platform::InputFile {
        File(std::unique_ptr<InputFile> f, InterferingReader& r) : inner(std::move(f)), owner(r) {}
        std::int64_t read(std::uint8_t* buffer, std::size_t size) override
        {
            if (reads++ == 0)
                return inner->read(buffer, size);
            return owner.laterReads(*inner, buffer, size);
        }
        tessarin::platform::FileId id() const override { return inner->id(); }
        std::uint64_t size() const override { return inner->size(); }
        std::unique_ptr<InputFile> inner;
        InterferingReader& owner;
        int reads = 0;
    };
    tessarin::platform::PosixFileReader posix_;
};

} // namespace

TEST(Md5File, AFileThatShrinksWhileReadEndsThereAndAReadErrorIsNoDigest)
{
    TempDir tmp;
    const std::string path = tmp / "log";
    const std::string content = patterned(1024 * 1024);
    writeFile(path, content);
    InterferingReader reader;

    std::size_t firstRead = 0;
    reader.laterReads = [&](tessarin::platform::InputFile& f, std::uint8_t* b, std::size_t n) {
        firstRead = n; // the first read asked for as much as this one
        EXPECT_EQ(::truncate(path.c_str(), 1000), 0);
        return f.read(b, n);
    };
    const auto shrunk = tryDigestFile(reader, path);
    ASSERT_TRUE(shrunk.has_value());
    EXPECT_EQ(firstRead % 64, 0u);
    EXPECT_EQ(DigestToHex(*shrunk), hexOf(std::string_view(content).substr(0, firstRead)));

    writeFile(path, content);
    reader.laterReads = [](tessarin::platform::InputFile&, std::uint8_t*, std::size_t) -> std::int64_t { return -1; };
    EXPECT_FALSE(tryDigestFile(reader, path).has_value());
}

TEST(Md5File, FileOfMoreThan4GiBGetsItsTrueDigest)
{
    // Sparse, so it costs no disk: marks at the start, across the 4 GiB
    // boundary and at the end, zeros between.
    TempDir tmp;
    const std::string path = tmp / "big.bin";
    const std::uint64_t fourGiB = std::uint64_t{1} << 32;
    const std::uint64_t size = fourGiB + 100;
    const std::string head = "head of the file", across = "across 4 GiB", tail = "tail";
    const std::uint64_t acrossAt = fourGiB - 5, tailAt = size - tail.size();
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(size)), 0);
        ASSERT_EQ(::pwrite(fd, head.data(), head.size(), 0), static_cast<ssize_t>(head.size()));
        ASSERT_EQ(::pwrite(fd, across.data(), across.size(), static_cast<off_t>(acrossAt)),
                  static_cast<ssize_t>(across.size()));
        ASSERT_EQ(::pwrite(fd, tail.data(), tail.size(), static_cast<off_t>(tailAt)),
                  static_cast<ssize_t>(tail.size()));
        ::close(fd);
    }

    // The same bytes fed in pieces, the long runs of zeros in single calls
    // of more than 4 GiB' worth of address range from a zero mapping.
    const std::size_t zerosLength = static_cast<std::size_t>(fourGiB);
    void* zeros = ::mmap(nullptr, zerosLength, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(zeros, MAP_FAILED);
    auto fedInPieces = std::async(std::launch::async, [&] {
        DigestContext context;
        DigestInit(context);
        DigestUpdate(context, head.data(), head.size());
        DigestUpdate(context, zeros, acrossAt - head.size());
        DigestUpdate(context, across.data(), across.size());
        DigestUpdate(context, zeros, tailAt - acrossAt - across.size());
        DigestUpdate(context, tail.data(), tail.size());
        return DigestToHex(DigestFinal(context));
    });
    // Both run at once: computations share no state.
    const std::string fromFile = FileDigestHex(path);
    const std::string expected = fedInPieces.get();
    ::munmap(zeros, zerosLength);
    EXPECT_EQ(fromFile, expected);
    EXPECT_NE(fromFile, kEmptyDigest);
}

namespace {

// Streams one byte value, `length` bytes or (length < 0) without end, as files
// of /proc do whatever size they report; counts what was read.
struct StreamingFile : tessarin::platform::InputFile {
    explicit StreamingFile(std::int64_t length) : left(length) {}
    std::int64_t read(std::uint8_t* buffer, std::size_t size) override
    {
        std::size_t n = size;
        if (left >= 0 && static_cast<std::uint64_t>(left) < n)
            n = static_cast<std::size_t>(left);
        std::memset(buffer, 'x', n);
        if (left >= 0)
            left -= static_cast<std::int64_t>(n);
        served += n;
        return static_cast<std::int64_t>(n);
    }
    tessarin::platform::FileId id() const override { return {}; }
    std::uint64_t size() const override { return 0; }
    std::int64_t left;
    std::uint64_t served = 0;
};

} // namespace

TEST(Md5File, ABoundedDigestReadsAtMostOneByteBeyondItsLimit)
{
    for (const std::size_t limit : {std::size_t{0}, std::size_t{1}, std::size_t{200 * 1024}}) {
        const std::string exact(limit, 'x');
        StreamingFile fits(static_cast<std::int64_t>(limit));
        const auto digest = tryDigestFile(fits, limit);
        ASSERT_TRUE(digest.has_value()) << limit;
        EXPECT_EQ(DigestToHex(*digest), hexOf(exact)) << limit;

        StreamingFile longer(static_cast<std::int64_t>(limit) + 1);
        EXPECT_FALSE(tryDigestFile(longer, limit).has_value()) << limit;

        StreamingFile endless(-1);
        EXPECT_FALSE(tryDigestFile(endless, limit).has_value()) << limit;
        EXPECT_EQ(endless.served, limit + 1) << limit;
    }
    // A shorter file is read to its end within the limit.
    StreamingFile shorter(10);
    EXPECT_EQ(DigestToHex(*tryDigestFile(shorter, 100)), hexOf(std::string(10, 'x')));
}

TEST(Md5File, AProcFileThatReportsSizeZeroIsNoFileOfSizeZero)
{
    // /proc/self/pagemap reports 0 bytes and streams far more.
    tessarin::platform::PosixFileReader reader;
    if (!reader.openForReading("/proc/self/pagemap"))
        GTEST_SKIP() << "/proc/self/pagemap cannot be opened here";
    EXPECT_FALSE(tryDigestFile(reader, "/proc/self/pagemap", 0).has_value());
}
