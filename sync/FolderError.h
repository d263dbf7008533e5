#pragma once
#include <string>
#include <string_view>

#include "core/Error.h"

namespace tessarin::sync {

// A directory that the directory pass or a copy could not create or remove:
// the text says what was tried ("无法创建目录“PATH”：REASON"), and the path and
// the system's reason stay apart for the failure report.
class FolderError : public core::Error {
public:
    FolderError(std::string_view attempt, const std::string& path, const std::string& reason)
        : core::Error(std::string(attempt) + "“" + path + "”：" + reason), path_(path), reason_(reason)
    {}
    const std::string& path() const { return path_; }
    const std::string& reason() const { return reason_; }

private:
    std::string path_;
    std::string reason_;
};

} // namespace tessarin::sync
