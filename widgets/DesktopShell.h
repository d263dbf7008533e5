#pragma once
#include "platform/Shell.h"

namespace tessarin::widgets {

// The shell service on a Linux desktop: QDesktopServices hands the target to
// the desktop's handler (xdg-open and its kin).
class DesktopShell : public platform::Shell {
public:
    void openUrl(const std::string& url) override;
    void openFile(const std::string& path) override;
};

} // namespace tessarin::widgets
