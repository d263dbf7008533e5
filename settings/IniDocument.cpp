#include "settings/IniDocument.h"

#include <stdexcept>

namespace tessarin::settings {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

bool isEnclosedInQuotes(std::string_view s)
{
    return s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front();
}

// The name of a "[name]" line.
std::optional<std::string_view> sectionName(std::string_view line)
{
    line = trim(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return trim(line.substr(1, close - 1));
}

// The key and the raw value of a "key=value" line; comments are no keys.
struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> keyLine(std::string_view line)
{
    const std::string_view trimmed = trim(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#' || trimmed.front() == '[')
        return std::nullopt;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    const std::string_view key = trim(line.substr(0, equals));
    if (key.empty())
        return std::nullopt;
    return KeyLine{key, trim(line.substr(equals + 1))};
}

} // namespace

IniDocument::IniDocument(std::string_view text)
{
    if (text.starts_with(kUtf8Bom)) {
        bom_ = kUtf8Bom;
        text.remove_prefix(kUtf8Bom.size());
    }
    while (!text.empty()) {
        const std::size_t newline = text.find('\n');
        Line line;
        if (newline == std::string_view::npos) {
            line.content = text;
            text = {};
        } else {
            line.content = text.substr(0, newline);
            line.ending = "\n";
            text.remove_prefix(newline + 1);
        }
        if (!line.content.empty() && line.content.back() == '\r') {
            line.content.pop_back();
            line.ending.insert(0, "\r");
        }
        lines_.push_back(std::move(line));
    }
}

std::optional<std::size_t> IniDocument::findSection(std::string_view section) const
{
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto name = sectionName(lines_[i].content);
        if (name && sameName(*name, section))
            return i;
    }
    return std::nullopt;
}

std::size_t IniDocument::sectionEnd(std::size_t sectionLine) const
{
    std::size_t i = sectionLine + 1;
    while (i < lines_.size() && !sectionName(lines_[i].content))
        ++i;
    return i;
}

std::optional<std::size_t> IniDocument::findKey(std::size_t sectionLine, std::string_view key) const
{
    const std::size_t end = sectionEnd(sectionLine);
    for (std::size_t i = sectionLine + 1; i < end; ++i) {
        const auto line = keyLine(lines_[i].content);
        if (line && sameName(line->key, key))
            return i;
    }
    return std::nullopt;
}

std::optional<std::string> IniDocument::value(std::string_view section, std::string_view key) const
{
    const auto sectionLine = findSection(section);
    if (!sectionLine)
        return std::nullopt;
    const auto line = findKey(*sectionLine, key);
    if (!line)
        return std::nullopt;
    std::string_view value = keyLine(lines_[*line].content)->value;
    if (isEnclosedInQuotes(value))
        value = value.substr(1, value.size() - 2);
    return std::string(value.substr(0, kMaxValueBytes));
}

bool IniDocument::isStorable(std::string_view value)
{
    return value.find_first_of("\r\n") == std::string_view::npos;
}

std::string IniDocument::newLineEnding() const
{
    for (const Line& line : lines_)
        if (!line.ending.empty())
            return line.ending;
    return "\n";
}

void IniDocument::setValue(std::string_view section, std::string_view key, std::string_view value)
{
    if (!isStorable(value))
        throw std::invalid_argument("an INI value cannot hold a line break");
    std::string stored(value);
    if (!value.empty() && (isBlank(value.front()) || isBlank(value.back()) || isEnclosedInQuotes(value)))
        stored = '"' + stored + '"';

    const std::string ending = newLineEnding();
    const auto sectionLine = findSection(section);
    if (sectionLine) {
        if (const auto line = findKey(*sectionLine, key)) {
            Line& existing = lines_[*line];
            existing.content = std::string(keyLine(existing.content)->key) + "=" + stored;
            return;
        }
    }
    std::size_t at;
    if (sectionLine) {
        // After the section's last non-blank line, so blank separators stay below.
        at = sectionEnd(*sectionLine);
        while (at > *sectionLine + 1 && trim(lines_[at - 1].content).empty())
            --at;
    } else {
        if (!lines_.empty() && !trim(lines_.back().content).empty()) {
            if (lines_.back().ending.empty())
                lines_.back().ending = ending;
            lines_.push_back({"", ending});
        }
        lines_.push_back({"[" + std::string(section) + "]", ending});
        at = lines_.size();
    }
    if (at > 0 && lines_[at - 1].ending.empty())
        lines_[at - 1].ending = ending;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{std::string(key) + "=" + stored, ending});
}

bool IniDocument::removeKey(std::string_view section, std::string_view key)
{
    const auto sectionLine = findSection(section);
    if (!sectionLine)
        return false;
    const auto line = findKey(*sectionLine, key);
    if (!line)
        return false;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*line));
    return true;
}

std::string IniDocument::text() const
{
    std::string out = bom_;
    for (const Line& line : lines_)
        out += line.content + line.ending;
    return out;
}

} // namespace tessarin::settings

namespace tessarin::settings {

std::optional<long long> parseProfileInteger(std::string_view text)
{
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    } else if (text.starts_with("$")) {
        base = 16;
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    // Decimal stays within the signed 32-bit range; hexadecimal may use all 32 bits.
    const long long limit = base == 16 ? 0xFFFFFFFFLL : (negative ? 0x80000000LL : 0x7FFFFFFFLL);
    long long value = 0;
    for (const char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && lower(c) >= 'a' && lower(c) <= 'f')
            digit = lower(c) - 'a' + 10;
        else
            return std::nullopt;
        value = value * base + digit;
        if (value > limit)
            return std::nullopt;
    }
    return negative ? -value : value;
}

} // namespace tessarin::settings
