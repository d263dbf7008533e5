#include "settings/SettingsFile.h"

#include <algorithm>

#include "settings/IniFile.h"

namespace tessarin::settings {

namespace {

constexpr std::string_view kSettings = "Settings";
constexpr std::string_view kDeleteOldFile = "DeleteOldFile";
// The misspelling is the key's real name: stored files carry it.
constexpr std::string_view kSyncAttributes = "SnycAttributes";
constexpr std::string_view kSyncSubFolder = "SyncSubFolder";
constexpr std::string_view kDirs1 = "Dirs1";
constexpr std::string_view kDirs2 = "Dirs2";

bool readOption(const IniDocument& document, std::string_view key, bool defaultValue)
{
    const auto text = document.value(kSettings, key);
    const auto number = text ? parseProfileInteger(*text) : std::nullopt;
    return number ? *number != 0 : defaultValue;
}

std::vector<std::string> readHistory(const IniDocument& document, std::string_view section)
{
    std::vector<std::string> entries;
    for (std::size_t n = 1; n <= SettingsFile::kHistoryKeys; ++n) {
        const auto value = document.value(section, std::to_string(n));
        if (value && !value->empty())
            entries.push_back(*value);
    }
    return entries;
}

void writeHistory(IniFile& file, std::string_view section, const std::vector<std::string>& entries)
{
    const std::size_t count = std::min(entries.size(), SettingsFile::kHistoryKeys);
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& entry = entries[i];
        file.writeValue(section, std::to_string(i + 1), IniDocument::isStorable(entry) ? entry : std::string());
    }
    std::vector<std::string> stale;
    for (std::size_t n = count + 1; n <= SettingsFile::kHistoryKeys; ++n)
        stale.push_back(std::to_string(n));
    file.removeKeys(section, stale);
}

} // namespace

SettingsFile::SettingsFile(std::string path, FileStore& store) : path_(std::move(path)), store_(store)
{}

FileStore& SettingsFile::defaultStore()
{
    static FileStore store;
    return store;
}

StoredSettings SettingsFile::load() const
{
    const IniDocument document = IniFile(path_, store_).read();
    StoredSettings loaded;
    const sync::SyncOptions defaults;
    loaded.options.deleteOldFile = readOption(document, kDeleteOldFile, defaults.deleteOldFile);
    loaded.options.syncAttributes = readOption(document, kSyncAttributes, defaults.syncAttributes);
    loaded.options.syncSubFolder = readOption(document, kSyncSubFolder, defaults.syncSubFolder);
    loaded.histories.dirs1 = readHistory(document, kDirs1);
    loaded.histories.dirs2 = readHistory(document, kDirs2);
    return loaded;
}

void SettingsFile::saveOptions(const sync::SyncOptions& options)
{
    IniFile file(path_, store_);
    file.writeValue(kSettings, kDeleteOldFile, options.deleteOldFile ? "1" : "0");
    file.writeValue(kSettings, kSyncAttributes, options.syncAttributes ? "1" : "0");
    file.writeValue(kSettings, kSyncSubFolder, options.syncSubFolder ? "1" : "0");
}

void SettingsFile::saveHistories(const DirectoryHistories& histories)
{
    IniFile file(path_, store_);
    writeHistory(file, kDirs1, histories.dirs1);
    writeHistory(file, kDirs2, histories.dirs2);
}

} // namespace tessarin::settings
