#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessarin::settings {

// The text of one INI file, read and edited the way profile files are:
// "[section]" lines, "key=value" lines beneath them, section and key names
// matched without regard to ASCII letter case (the first match wins). An edit
// changes only the lines it concerns; comments, blank lines, unknown keys and
// other sections stay byte for byte, each line with its own line ending.
class IniDocument {
public:
    // Longest value a read returns, in bytes; the rest of a longer value is cut.
    static constexpr std::size_t kMaxValueBytes = 2047;

    IniDocument() = default;
    explicit IniDocument(std::string_view text);

    // The value of a key, spaces around it trimmed and one pair of enclosing
    // quotes removed; nothing when the section or key is missing.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;

    // Replaces the key's line in place, or adds the key at the end of its
    // section, or adds the section at the end of the text. A value that would
    // not read back as it stands (spaces at either end, enclosing quotes) is
    // written in quotes. A value must not hold a line break.
    void setValue(std::string_view section, std::string_view key, std::string_view value);

    // Removes the key's line; false when there was no such key.
    bool removeKey(std::string_view section, std::string_view key);

    std::string text() const;

    // A value can be stored on one line.
    static bool isStorable(std::string_view value);

private:
    struct Line {
        std::string content; // without the line ending
        std::string ending;  // "\n", "\r\n" or empty for a last line without one
    };

    std::optional<std::size_t> findSection(std::string_view section) const;
    std::size_t sectionEnd(std::size_t sectionLine) const;
    std::optional<std::size_t> findKey(std::size_t sectionLine, std::string_view key) const;
    std::string newLineEnding() const;

    std::string bom_;
    std::vector<Line> lines_;
};

} // namespace tessarin::settings

namespace tessarin::settings {

// A profile integer: decimal, or hexadecimal after "0x", "0X" or "$", with an
// optional sign, within 32 bits. Nothing for any other text, empty included.
std::optional<long long> parseProfileInteger(std::string_view text);

} // namespace tessarin::settings
