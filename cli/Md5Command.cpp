#include <cstdio>

#include "cli/Commands.h"
#include "cli/Output.h"
#include "md5/Md5.h"
#include "platform/PosixFileReader.h"

namespace tessarin::cli {

namespace {
constexpr const char* kMd5Usage = "usage: tessarin-cli md5 FILE...\n";
}

// digest, two spaces, path: the md5sum format. A file that cannot be read is
// named on standard error instead, and the exit code is 1, as md5sum does.
int runMd5(const Arguments& args)
{
    if (args.empty())
        return usageError(kMd5Usage);
    platform::PosixFileReader reader;
    Output out;
    int exitCode = 0;
    for (const std::string& path : args) {
        if (const auto digest = md5::TryDigestFile(reader, path)) {
            out.write(md5::DigestToHex(*digest));
            out.write("  ");
            out.write(path);
            out.write("\n");
        } else {
            out.flush();
            std::fprintf(stderr, "tessarin-cli: %s: cannot be read\n", path.c_str());
            exitCode = 1;
        }
    }
    return exitCode;
}

} // namespace tessarin::cli
