#include "widgets/TextConversion.h"

#include <QStringDecoder>
#include <optional>

namespace tessarin::widgets {

namespace {

// Length of the well-formed UTF-8 sequence that starts at bytes[at], or 0
// when none does (a stray continuation byte, an overlong form, a surrogate,
// a code point past U+10FFFF, or a sequence cut short).
std::size_t utf8SequenceAt(std::string_view bytes, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;  // bounds of the second byte, which rule out
    unsigned char high = 0xBF; // overlong forms, surrogates and too-large code points
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (at + length > bytes.size())
        return 0;
    if (byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF)
            return 0;
    }
    return length;
}

bool isUtf8(std::string_view bytes)
{
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t length = utf8SequenceAt(bytes, at);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

QString fromUtf8(std::string_view bytes)
{
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// The part as GB18030 when every byte of it belongs to a valid GB18030
// sequence.
std::optional<QString> fromGb18030(std::string_view bytes)
{
    QStringDecoder decoder("GB18030", QStringDecoder::Flag::Stateless);
    if (!decoder.isValid())
        return std::nullopt;
    QString text = decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (decoder.hasError() || text.contains(QChar::ReplacementCharacter))
        return std::nullopt;
    return text;
}

QString displayPart(std::string_view part)
{
    if (isUtf8(part))
        return fromUtf8(part);
    if (std::optional<QString> text = fromGb18030(part))
        return *text;
    return displayText(part);
}

} // namespace

QString displayText(std::string_view bytes)
{
    if (isUtf8(bytes))
        return fromUtf8(bytes);
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    std::size_t runStart = 0;
    for (std::size_t at = 0; at < bytes.size();) {
        if (const std::size_t length = utf8SequenceAt(bytes, at)) {
            at += length;
            continue;
        }
        text += fromUtf8(bytes.substr(runStart, at - runStart));
        const auto byte = static_cast<unsigned char>(bytes[at]);
        text += QStringLiteral("\\x") + QString::number(byte, 16).toUpper().rightJustified(2, QLatin1Char('0'));
        runStart = ++at;
    }
    text += fromUtf8(bytes.substr(runStart));
    return text;
}

QString displayName(std::string_view bytes)
{
    if (isUtf8(bytes))
        return fromUtf8(bytes);
    QString text;
    std::size_t start = 0;
    while (true) {
        const std::size_t slash = bytes.find('/', start);
        text +=
            displayPart(bytes.substr(start, slash == std::string_view::npos ? std::string_view::npos : slash - start));
        if (slash == std::string_view::npos)
            break;
        text += QLatin1Char('/');
        start = slash + 1;
    }
    return text;
}

} // namespace tessarin::widgets
