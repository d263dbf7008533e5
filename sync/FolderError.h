#pragma once
#include <string>
#include <string_view>

#include "core/Error.h"

namespace tessarin::sync {

// A directory that the directory pass or a copy could not create or remove:
// the text says what was tried ("无法创建目录“PATH”：REASON"), and the path and
// the system's reason stay apart for the failure report. nameRefused: the
// volume cannot hold the directory's name, which fails only what lies in it.
class FolderError : public core::Error {
public:
    FolderError(std::string_view attempt, const std::string& path, const std::string& reason, bool nameRefused = false)
        : core::Error(std::string(attempt) + "“" + path + "”：" + reason), path_(path), reason_(reason),
          nameRefused_(nameRefused)
    {}
    const std::string& path() const { return path_; }
    const std::string& reason() const { return reason_; }
    bool nameRefused() const { return nameRefused_; }

private:
    std::string path_;
    std::string reason_;
    bool nameRefused_ = false;
};

} // namespace tessarin::sync
