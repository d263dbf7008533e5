#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/FileSystem.h"

namespace tessarin::platform {

// One file opened for a single sequential pass over its content.
class InputFile {
public:
    virtual ~InputFile() = default;
    // Fills the buffer as far as the file allows. Returns the number of bytes
    // read (less than size only at the end of the file, 0 when it is reached)
    // or -1 when the read fails.
    virtual std::int64_t read(std::uint8_t* buffer, std::size_t size) = 0;
    // Identity and size of the file as it was opened (of the target, for a link).
    virtual FileId id() const = 0;
    virtual std::uint64_t size() const = 0;
};

// The file-reading service: the content of regular files, read in one pass.
class FileReader {
public:
    virtual ~FileReader() = default;
    // Opens an existing regular file (a link to one counts) for reading.
    // Returns null when it cannot: missing, no access, or not a regular file
    // (a directory, a FIFO, a device: such a thing is never read).
    virtual std::unique_ptr<InputFile> openForReading(const std::string& path) = 0;
};

} // namespace tessarin::platform
