#include "platform/NameRules.h"

#include <cstdio>

#include "platform/Utf8.h"

namespace tessarin::platform {

namespace {

using Family = VolumeTraits::Family;

constexpr std::size_t kMostUtf16Units = 255;

const char* familyText(Family family)
{
    switch (family) {
    case Family::Fat:
        return "FAT";
    case Family::Exfat:
        return "exFAT";
    case Family::Ntfs:
        return "NTFS";
    case Family::Posix:
        break;
    }
    return "";
}

// A byte as the reason shows it: tab, line feed and carriage return as their
// escapes, other control bytes and stray bytes in hexadecimal.
std::string shownByte(unsigned char c)
{
    switch (c) {
    case '\t':
        return "\\t";
    case '\n':
        return "\\n";
    case '\r':
        return "\\r";
    default:
        break;
    }
    if (c >= 0x20 && c < 0x7f)
        return std::string(1, static_cast<char>(c));
    char text[8];
    std::snprintf(text, sizeof text, "\\x%02x", c);
    return text;
}

// CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, in any case, alone or
// before the first dot.
bool isReservedDeviceName(std::string_view name)
{
    std::string base(name.substr(0, name.find('.')));
    for (char& c : base)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL")
        return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) && base[3] >= '1' &&
           base[3] <= '9';
}

} // namespace

std::optional<std::string> nameRefusal(std::string_view name, VolumeTraits::Family family)
{
    if (family == Family::Posix || name.empty())
        return std::nullopt;
    const std::string cannot = std::string("，") + familyText(family) + "卷不能保存这样的名称";
    std::size_t units = 0;
    for (std::size_t at = 0; at < name.size();) {
        const auto c = static_cast<unsigned char>(name[at]);
        char32_t code;
        const std::size_t length = decodeUtf8(name, at, code);
        if (length == 0)
            return "名称中含有无效的UTF-8字节“" + shownByte(c) + "”" + cannot;
        if (c < 0x20 || std::string_view("\"*/:<>?\\|").find(static_cast<char>(c)) != std::string_view::npos)
            return "名称中含有“" + shownByte(c) + "”" + cannot;
        units += length == 4 ? 2 : 1; // beyond U+FFFF: a surrogate pair
        at += length;
    }
    if (name.back() == '.')
        return "名称以“.”结尾" + cannot;
    if (name.back() == ' ')
        return "名称以空格结尾" + cannot;
    if (units > kMostUtf16Units)
        return "名称长达" + std::to_string(units) + "个UTF-16字符，超过" + std::to_string(kMostUtf16Units) + "个" +
               cannot;
    if (family == Family::Fat && isReservedDeviceName(name))
        return "名称“" + std::string(name.substr(0, name.find('.'))) + "”是保留的设备名" + cannot;
    return std::nullopt;
}

} // namespace tessarin::platform
