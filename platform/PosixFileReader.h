#pragma once
#include "platform/FileReader.h"

namespace tessarin::platform {

// The file-reading service on a POSIX system: plain read(2) calls on a file
// opened read-only, with the sequential-access hint. A file that shrinks while
// it is read simply ends sooner; nothing is mapped, so nothing can fault.
class PosixFileReader : public FileReader {
public:
    std::unique_ptr<InputFile> openForReading(const std::string& path) override;
};

} // namespace tessarin::platform
