#include "sync/CaseFold.h"

#include <clocale>
#include <cwctype>
#include <locale.h>
#include <wctype.h>

namespace tessarin::sync {

namespace {

// The UTF-8 character classes, made once and never freed: whatever locale
// the program runs in, names are UTF-8 byte strings.
locale_t utf8Locale()
{
    static const locale_t locale = [] {
        locale_t made = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        return made ? made : ::newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(nullptr));
    }();
    return locale;
}

// Decodes one well-formed UTF-8 character at name[at]; its length, or 0 when
// the bytes there are not one (overlong forms and surrogates included).
std::size_t decode(std::string_view name, std::size_t at, char32_t& code)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(name[at + k]); };
    const unsigned char lead = byte(0);
    std::size_t length;
    char32_t min;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if ((lead & 0xe0) == 0xc0) {
        length = 2, code = lead & 0x1f, min = 0x80;
    } else if ((lead & 0xf0) == 0xe0) {
        length = 3, code = lead & 0x0f, min = 0x800;
    } else if ((lead & 0xf8) == 0xf0) {
        length = 4, code = lead & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (name.size() - at < length)
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(k) & 0xc0) != 0x80)
            return 0;
        code = (code << 6) | (byte(k) & 0x3f);
    }
    if (code < min || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff))
        return 0;
    return length;
}

void encode(char32_t code, std::string& out)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xc0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3f));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xe0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (code & 0x3f));
    } else {
        out += static_cast<char>(0xf0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3f));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (code & 0x3f));
    }
}

} // namespace

void appendFoldedCase(std::string_view name, std::string& out)
{
    const locale_t locale = utf8Locale();
    std::size_t at = 0;
    while (at < name.size()) {
        const char c = name[at];
        if (static_cast<unsigned char>(c) < 0x80) {
            out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
            ++at;
            continue;
        }
        char32_t code;
        const std::size_t length = decode(name, at, code);
        if (length == 0) {
            out += c; // not UTF-8: the byte stands for itself
            ++at;
            continue;
        }
        // Upper case first, then lower: the volumes compare names by an
        // upper-case table, which makes final sigma one with sigma, and the
        // lower case of the result makes the Kelvin sign one with "k".
        const wint_t lower = ::towlower_l(::towupper_l(static_cast<wint_t>(code), locale), locale);
        // Folding is a key for matching only, never a name written to disk.
        if (lower <= 0x10ffff && !(lower >= 0xd800 && lower <= 0xdfff))
            encode(static_cast<char32_t>(lower), out);
        else
            out.append(name.substr(at, length));
        at += length;
    }
}

} // namespace tessarin::sync
