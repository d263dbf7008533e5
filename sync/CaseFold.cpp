#include "sync/CaseFold.h"

#include <clocale>
#include <cwctype>
#include <locale.h>
#include <wctype.h>

#include "platform/Utf8.h"

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
        const std::size_t length = platform::decodeUtf8(name, at, code);
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
            platform::appendUtf8(static_cast<char32_t>(lower), out);
        else
            out.append(name.substr(at, length));
        at += length;
    }
}

} // namespace tessarin::sync
