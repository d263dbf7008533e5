#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "settings/FileStore.h"
#include "settings/IniDocument.h"

namespace tessarin::settings {

// One INI file on disk. No operation keeps it open: each reads the file,
// makes its change and writes the file whole again.
class IniFile {
public:
    IniFile(std::string path, FileStore& store) : path_(std::move(path)), store_(store) {}

    const std::string& path() const { return path_; }

    // The file's content; a file that is missing or cannot be read, and a
    // directory, FIFO or device in its place, read as empty.
    IniDocument read() const;

    // Writes one key, creating the file and the section as needed. A write
    // that would leave the text as it is does not touch the file.
    // Throws core::Error "Unable to write to <path>" when it cannot.
    void writeValue(std::string_view section, std::string_view key, std::string_view value);

    // Removes those of the keys that exist; writes nothing when none does.
    // Throws like writeValue.
    void removeKeys(std::string_view section, const std::vector<std::string>& keys);

private:
    IniDocument readForUpdate() const;
    void store(const IniDocument& document);

    std::string path_;
    FileStore& store_;
};

} // namespace tessarin::settings
