#pragma once
// A shell service that opens nothing and records what it was asked to open.
#include <string>
#include <vector>

#include "platform/Shell.h"

namespace testsupport {

class RecordingShell : public tessarin::platform::Shell {
public:
    void openUrl(const std::string& url) override { urls.push_back(url); }
    void openFile(const std::string& path) override { files.push_back(path); }

    std::vector<std::string> urls;
    std::vector<std::string> files;
};

} // namespace testsupport
