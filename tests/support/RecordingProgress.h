#pragma once
// A Progress that records everything the core shows, for assertions.
#include <string>
#include <vector>

#include "core/Progress.h"

namespace testsupport {

class RecordingProgress : public tessarin::Progress {
public:
    void setStatus(std::string_view text) override { statuses.emplace_back(text); }
    void processEvents() override { ++eventPasses; }
    void sideListed(int side, std::string_view countText) override
    {
        counts.emplace_back(std::to_string(side) + ":" + std::string(countText));
    }

    std::vector<std::string> statuses;
    std::vector<std::string> counts;
    int eventPasses = 0;
};

} // namespace testsupport
