#pragma once
// Roots and places of a compare as the tests write them: the root text from
// the text a path field would hold, and places below a root as texts.
#include <string>
#include <string_view>
#include <vector>

#include "platform/Path.h"
#include "platform/TreePath.h"

namespace testsupport {

inline std::string fieldRoot(std::string_view fieldText)
{
    return tessarin::platform::rootTextOf(fieldText).value();
}

inline std::vector<std::string> texts(const std::vector<tessarin::platform::RelativePath>& places)
{
    std::vector<std::string> out;
    for (const auto& place : places)
        out.push_back(place.text());
    return out;
}

} // namespace testsupport
