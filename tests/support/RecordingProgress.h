#pragma once
// A Progress that records everything the core shows, for assertions.
#include <string>
#include <vector>

#include "core/Progress.h"

namespace testsupport {

class RecordingProgress : public tessarin::core::Progress {
public:
    void setStatus(std::string_view text) override { statuses.emplace_back(text); }
    void processEvents() override { ++eventPasses; }

    std::vector<std::string> statuses;
    int eventPasses = 0;
};

} // namespace testsupport
