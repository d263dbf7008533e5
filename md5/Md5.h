#pragma once
// MD5 message digests (RFC 1321) of byte sequences fed in pieces and of whole
// files, and their text form. Every computation lives in a DigestContext that
// the caller owns; the unit keeps no state of its own.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tessarin::platform {
class FileReader;
class InputFile;
} // namespace tessarin::platform

namespace tessarin::md5 {

// The four state words A, B, C, D, each least significant byte first.
using DigestBytes = std::array<std::uint8_t, 16>;

// One computation in progress. Valid between DigestInit and DigestFinal;
// DigestFinal leaves every byte zero.
struct DigestContext {
    std::uint32_t state[4];
    // Message bits fed so far, modulo 2^64: low word first.
    std::uint32_t count[2];
    // The not yet complete 64-byte block: (count[0] >> 3) % 64 bytes valid.
    std::uint8_t buffer[64];
};

void DigestInit(DigestContext& context);
// Feeds length bytes as the continuation of what was fed before; any length, 0 included.
void DigestUpdate(DigestContext& context, const void* bytes, std::size_t length);
// Pads the message, returns its digest and zeroes the context.
DigestBytes DigestFinal(DigestContext& context);

// The digest of a file's whole content, or nothing when the file could not be
// read to its end (missing, no access, not a regular file, a read error).
std::optional<DigestBytes> tryDigestFile(platform::FileReader& reader, const std::string& path);
// The same for a file already opened, read from where it stands to its end.
std::optional<DigestBytes> tryDigestFile(platform::InputFile& file);
// The same, but nothing as soon as more than limit bytes come: at most
// limit + 1 bytes are read, so a file that streams without end (as files of
// /proc do) costs no more than its reported size.
std::optional<DigestBytes> tryDigestFile(platform::InputFile& file, std::uint64_t limit);
std::optional<DigestBytes> tryDigestFile(platform::FileReader& reader, const std::string& path, std::uint64_t limit);

// 32 lower-case hexadecimal characters, first byte first, high four bits first.
std::string DigestToHex(const DigestBytes& digest);

} // namespace tessarin::md5
