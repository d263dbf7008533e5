#pragma once
// The whole file's digest as hex, for tests to check against: a file that
// cannot be read gives the empty message's digest, as an empty file does.
#include <string>

#include "md5/Md5.h"
#include "platform/PosixFileReader.h"

namespace testsupport {

inline std::string FileDigestHex(const std::string& path)
{
    using namespace tessarin::md5;
    tessarin::platform::PosixFileReader reader;
    if (const auto digest = tryDigestFile(reader, path))
        return DigestToHex(*digest);
    DigestContext empty;
    DigestInit(empty);
    return DigestToHex(DigestFinal(empty));
}

} // namespace testsupport
