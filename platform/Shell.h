#pragma once
#include <string>

namespace tessarin::platform {

// The desktop's "open" service: hands a target to whatever handler the
// desktop has for it (the browser for a web address, the mail program for a
// "mailto:" address, the default viewer for a file). The request is made and
// forgotten: nothing waits for the handler, and a target that cannot be
// opened is not reported.
class Shell {
public:
    virtual ~Shell() = default;
    // A web or "mailto:" address.
    virtual void openUrl(const std::string& url) = 0;
    // A local file, its path as the file system's bytes.
    virtual void openFile(const std::string& path) = 0;
};

} // namespace tessarin::platform
