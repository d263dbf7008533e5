#include <bit>
#include <cstring>

#include "md5/Md5.h"

namespace tessarin::md5 {

namespace {

// Little-endian load of one message word straight from the block.
inline std::uint32_t loadWord(const std::uint8_t* p)
{
    std::uint32_t w;
    std::memcpy(&w, p, 4);
    if constexpr (std::endian::native == std::endian::big)
        w = __builtin_bswap32(w);
    return w;
}

inline void storeWord(std::uint8_t* p, std::uint32_t w)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(w >> (8 * i));
}

// The four auxiliary functions, in forms that need fewest dependent steps:
// F(b,c,d) = (b & c) | (~b & d) = d ^ (b & (c ^ d));
// G(b,c,d) = (b & d) | (c & ~d), whose two halves never share a bit, so they
// can be added to the word separately without waiting for each other.
#define MD5_STEP_F(a, b, c, d, x, t, s) \
    a += (x) + (t);                     \
    a += (d) ^ ((b) & ((c) ^ (d)));     \
    a = std::rotl(a, s) + (b);
#define MD5_STEP_G(a, b, c, d, x, t, s) \
    a += (x) + (t);                     \
    a += (c) & ~(d);                    \
    a += (b) & (d);                     \
    a = std::rotl(a, s) + (b);
#define MD5_STEP_H(a, b, c, d, x, t, s) \
    a += (x) + (t);                     \
    a += (b) ^ (c) ^ (d);               \
    a = std::rotl(a, s) + (b);
#define MD5_STEP_I(a, b, c, d, x, t, s) \
    a += (x) + (t);                     \
    a += (c) ^ ((b) | ~(d));            \
    a = std::rotl(a, s) + (b);

// Compresses whole 64-byte blocks in place, the state held in registers
// across them. The 64 steps with their shifts, word order and sine-derived
// constants are those of RFC 1321.
void compressBlocks(std::uint32_t state[4], const std::uint8_t* data, std::size_t blocks)
{
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (; blocks > 0; --blocks, data += 64) {
        std::uint32_t x[16];
        for (int i = 0; i < 16; ++i)
            x[i] = loadWord(data + 4 * i);
        const std::uint32_t aa = a, bb = b, cc = c, dd = d;

        MD5_STEP_F(a, b, c, d, x[0], 0xd76aa478, 7)
        MD5_STEP_F(d, a, b, c, x[1], 0xe8c7b756, 12)
        MD5_STEP_F(c, d, a, b, x[2], 0x242070db, 17)
        MD5_STEP_F(b, c, d, a, x[3], 0xc1bdceee, 22)
        MD5_STEP_F(a, b, c, d, x[4], 0xf57c0faf, 7)
        MD5_STEP_F(d, a, b, c, x[5], 0x4787c62a, 12)
        MD5_STEP_F(c, d, a, b, x[6], 0xa8304613, 17)
        MD5_STEP_F(b, c, d, a, x[7], 0xfd469501, 22)
        MD5_STEP_F(a, b, c, d, x[8], 0x698098d8, 7)
        MD5_STEP_F(d, a, b, c, x[9], 0x8b44f7af, 12)
        MD5_STEP_F(c, d, a, b, x[10], 0xffff5bb1, 17)
        MD5_STEP_F(b, c, d, a, x[11], 0x895cd7be, 22)
        MD5_STEP_F(a, b, c, d, x[12], 0x6b901122, 7)
        MD5_STEP_F(d, a, b, c, x[13], 0xfd987193, 12)
        MD5_STEP_F(c, d, a, b, x[14], 0xa679438e, 17)
        MD5_STEP_F(b, c, d, a, x[15], 0x49b40821, 22)

        MD5_STEP_G(a, b, c, d, x[1], 0xf61e2562, 5)
        MD5_STEP_G(d, a, b, c, x[6], 0xc040b340, 9)
        MD5_STEP_G(c, d, a, b, x[11], 0x265e5a51, 14)
        MD5_STEP_G(b, c, d, a, x[0], 0xe9b6c7aa, 20)
        MD5_STEP_G(a, b, c, d, x[5], 0xd62f105d, 5)
        MD5_STEP_G(d, a, b, c, x[10], 0x02441453, 9)
        MD5_STEP_G(c, d, a, b, x[15], 0xd8a1e681, 14)
        MD5_STEP_G(b, c, d, a, x[4], 0xe7d3fbc8, 20)
        MD5_STEP_G(a, b, c, d, x[9], 0x21e1cde6, 5)
        MD5_STEP_G(d, a, b, c, x[14], 0xc33707d6, 9)
        MD5_STEP_G(c, d, a, b, x[3], 0xf4d50d87, 14)
        MD5_STEP_G(b, c, d, a, x[8], 0x455a14ed, 20)
        MD5_STEP_G(a, b, c, d, x[13], 0xa9e3e905, 5)
        MD5_STEP_G(d, a, b, c, x[2], 0xfcefa3f8, 9)
        MD5_STEP_G(c, d, a, b, x[7], 0x676f02d9, 14)
        MD5_STEP_G(b, c, d, a, x[12], 0x8d2a4c8a, 20)

        MD5_STEP_H(a, b, c, d, x[5], 0xfffa3942, 4)
        MD5_STEP_H(d, a, b, c, x[8], 0x8771f681, 11)
        MD5_STEP_H(c, d, a, b, x[11], 0x6d9d6122, 16)
        MD5_STEP_H(b, c, d, a, x[14], 0xfde5380c, 23)
        MD5_STEP_H(a, b, c, d, x[1], 0xa4beea44, 4)
        MD5_STEP_H(d, a, b, c, x[4], 0x4bdecfa9, 11)
        MD5_STEP_H(c, d, a, b, x[7], 0xf6bb4b60, 16)
        MD5_STEP_H(b, c, d, a, x[10], 0xbebfbc70, 23)
        MD5_STEP_H(a, b, c, d, x[13], 0x289b7ec6, 4)
        MD5_STEP_H(d, a, b, c, x[0], 0xeaa127fa, 11)
        MD5_STEP_H(c, d, a, b, x[3], 0xd4ef3085, 16)
        MD5_STEP_H(b, c, d, a, x[6], 0x04881d05, 23)
        MD5_STEP_H(a, b, c, d, x[9], 0xd9d4d039, 4)
        MD5_STEP_H(d, a, b, c, x[12], 0xe6db99e5, 11)
        MD5_STEP_H(c, d, a, b, x[15], 0x1fa27cf8, 16)
        MD5_STEP_H(b, c, d, a, x[2], 0xc4ac5665, 23)

        MD5_STEP_I(a, b, c, d, x[0], 0xf4292244, 6)
        MD5_STEP_I(d, a, b, c, x[7], 0x432aff97, 10)
        MD5_STEP_I(c, d, a, b, x[14], 0xab9423a7, 15)
        MD5_STEP_I(b, c, d, a, x[5], 0xfc93a039, 21)
        MD5_STEP_I(a, b, c, d, x[12], 0x655b59c3, 6)
        MD5_STEP_I(d, a, b, c, x[3], 0x8f0ccc92, 10)
        MD5_STEP_I(c, d, a, b, x[10], 0xffeff47d, 15)
        MD5_STEP_I(b, c, d, a, x[1], 0x85845dd1, 21)
        MD5_STEP_I(a, b, c, d, x[8], 0x6fa87e4f, 6)
        MD5_STEP_I(d, a, b, c, x[15], 0xfe2ce6e0, 10)
        MD5_STEP_I(c, d, a, b, x[6], 0xa3014314, 15)
        MD5_STEP_I(b, c, d, a, x[13], 0x4e0811a1, 21)
        MD5_STEP_I(a, b, c, d, x[4], 0xf7537e82, 6)
        MD5_STEP_I(d, a, b, c, x[11], 0xbd3af235, 10)
        MD5_STEP_I(c, d, a, b, x[2], 0x2ad7d2bb, 15)
        MD5_STEP_I(b, c, d, a, x[9], 0xeb86d391, 21)

        a += aa;
        b += bb;
        c += cc;
        d += dd;
    }
    state[0] = a;
    state[1] = b;
    state[2] = c;
    state[3] = d;
}

#undef MD5_STEP_F
#undef MD5_STEP_G
#undef MD5_STEP_H
#undef MD5_STEP_I

} // namespace

void DigestInit(DigestContext& context)
{
    context.state[0] = 0x67452301;
    context.state[1] = 0xefcdab89;
    context.state[2] = 0x98badcfe;
    context.state[3] = 0x10325476;
    context.count[0] = 0;
    context.count[1] = 0;
    std::memset(context.buffer, 0, sizeof context.buffer);
}

void DigestUpdate(DigestContext& context, const void* bytes, std::size_t length)
{
    const auto* input = static_cast<const std::uint8_t*>(bytes);
    std::size_t index = (context.count[0] >> 3) & 63;

    // The bit count, modulo 2^64, in two words: the carry of the low word
    // goes to the high word, then the high bits of length * 8.
    const auto lowBits = static_cast<std::uint32_t>(length << 3);
    context.count[0] += lowBits;
    if (context.count[0] < lowBits)
        ++context.count[1];
    context.count[1] += static_cast<std::uint32_t>(length >> 29);

    std::size_t i = 0;
    const std::size_t room = 64 - index;
    if (length >= room) {
        if (index != 0) {
            std::memcpy(context.buffer + index, input, room);
            compressBlocks(context.state, context.buffer, 1);
            i = room;
        }
        // Whole blocks straight from the caller's memory, without a copy.
        const std::size_t blocks = (length - i) / 64;
        compressBlocks(context.state, input + i, blocks);
        i += blocks * 64;
        index = 0;
    }
    if (length > i)
        std::memcpy(context.buffer + index, input + i, length - i);
}

DigestBytes DigestFinal(DigestContext& context)
{
    // The count is taken before the pad changes it.
    std::uint8_t bits[8];
    storeWord(bits, context.count[0]);
    storeWord(bits + 4, context.count[1]);

    static constexpr std::uint8_t kPad[64] = {0x80};
    const std::size_t index = (context.count[0] >> 3) & 63;
    const std::size_t padLength = index < 56 ? 56 - index : 120 - index;
    DigestUpdate(context, kPad, padLength);
    DigestUpdate(context, bits, sizeof bits);

    DigestBytes digest;
    for (int i = 0; i < 4; ++i)
        storeWord(digest.data() + 4 * i, context.state[i]);
    std::memset(&context, 0, sizeof context);
    return digest;
}

std::string DigestToHex(const DigestBytes& digest)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    text.reserve(32);
    for (const std::uint8_t byte : digest) {
        text += kHex[byte >> 4];
        text += kHex[byte & 0x0f];
    }
    return text;
}

} // namespace tessarin::md5
