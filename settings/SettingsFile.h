#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "settings/FileStore.h"
#include "sync/SyncOptions.h"

namespace tessarin::settings {

// The two directory histories, newest first, as the path fields list them.
struct DirectoryHistories {
    std::vector<std::string> dirs1;
    std::vector<std::string> dirs2;
};

struct StoredSettings {
    sync::SyncOptions options;
    DirectoryHistories histories;
};

// settings.ini: section "Settings" with the three synchronisation options,
// sections "Dirs1" and "Dirs2" with the histories under keys "1" to "10".
// Writing fails with core::Error "Unable to write to <path>"; the keys
// written before the failing one stay written.
class SettingsFile {
public:
    static constexpr std::size_t kHistoryKeys = 10;

    explicit SettingsFile(std::string path, FileStore& store = defaultStore());

    const std::string& path() const { return path_; }

    // Missing keys, and option values that are no integer, give the defaults;
    // empty history entries are skipped, so gaps close up.
    StoredSettings load() const;

    // Writes "DeleteOldFile", "SnycAttributes", "SyncSubFolder", in that order.
    void saveOptions(const sync::SyncOptions& options);

    // Writes the first ten entries of each history and removes the keys above
    // them, so no stale entry returns at the next load. An entry that cannot be
    // stored on one line (a path with a line break) is written empty.
    void saveHistories(const DirectoryHistories& histories);

    static FileStore& defaultStore();

private:
    std::string path_;
    FileStore& store_;
};

} // namespace tessarin::settings
