#pragma once
#include "core/Progress.h"

namespace tessarin::gui {

class TForm1;

// The core's progress shown in the main window: the status bar's text and
// progress bar, the count labels and the rows of each side once listed, and
// the window kept alive by processing pending events.
class QtProgress : public Progress {
public:
    explicit QtProgress(TForm1& form) : form_(form) {}
    void setStatus(std::string_view text) override;
    void processEvents() override;
    void tablesEmptied() override;
    void sideListed(int side, std::string_view countText) override;
    void setFraction(std::uint64_t done, std::uint64_t total) override;

private:
    TForm1& form_;
};

} // namespace tessarin::gui
