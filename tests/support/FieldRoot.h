#pragma once
// The root text a compare runs on, from the text a path field would hold.
#include <string>
#include <string_view>

#include "platform/Path.h"

namespace testsupport {

inline std::string fieldRoot(std::string_view fieldText)
{
    return tessarin::platform::rootTextOf(fieldText).value();
}

} // namespace testsupport
