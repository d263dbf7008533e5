#pragma once

namespace tessarin::sync {

// The three synchronisation options, with the defaults of a fresh settings file.
struct SyncOptions {
    bool deleteOldFile = false; // key "DeleteOldFile"
    bool syncAttributes = true; // key "SnycAttributes"
    bool syncSubFolder = true;  // key "SyncSubFolder"
};

} // namespace tessarin::sync
