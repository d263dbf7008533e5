#pragma once
// The names a volume can hold. FAT, exFAT and NTFS keep names in UTF-16 under
// the rules of the systems that made them; a name outside those rules is
// refused by some drivers with a misleading error and kept by others where
// those systems cannot open it.
#include <optional>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace tessarin::platform {

// Why a volume of this family cannot hold name (one path component, bytes),
// showing the offending character; nothing where it can. POSIX volumes hold
// every name.
std::optional<std::string> nameRefusal(std::string_view name, VolumeTraits::Family family);

} // namespace tessarin::platform
