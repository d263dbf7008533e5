#pragma once
#include <cstdint>

namespace tessarin::platform {

// A count the copy raises at every piece it moves (a few MiB at most). It
// keeps rising while a file is copied, however long the file, and stands
// still while the copy waits on a volume that does not answer: the window
// tells the two apart by it.
std::uint64_t ioSteps();
void countIoStep();

} // namespace tessarin::platform
