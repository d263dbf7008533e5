#pragma once
#include <string>
#include <string_view>

#include "core/Error.h"
#include "platform/FileSystem.h"

namespace tessarin::sync {

// A directory that the directory pass or a copy could not create or remove:
// the text says what was tried ("无法创建目录“PATH”：REASON"), and the path and
// the system's reason stay apart for the failure report. refusal: why the
// change was refused, where that decides (a name the volume cannot hold, a
// path leading out of the root: either fails only what lies in it).
class FolderError : public core::Error {
public:
    FolderError(std::string_view attempt, const std::string& path, const std::string& reason,
                platform::FsResult::Refusal refusal = platform::FsResult::Refusal::None)
        : core::Error(std::string(attempt) + "“" + path + "”：" + reason), path_(path), reason_(reason),
          refusal_(refusal)
    {}
    const std::string& path() const { return path_; }
    const std::string& reason() const { return reason_; }
    platform::FsResult::Refusal refusal() const { return refusal_; }
    bool nameRefused() const { return refusal_ == platform::FsResult::Refusal::NameRefused; }

private:
    std::string path_;
    std::string reason_;
    platform::FsResult::Refusal refusal_ = platform::FsResult::Refusal::None;
};

} // namespace tessarin::sync
