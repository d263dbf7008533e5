#include <cerrno>
#include <cstdio>

#include "cli/Commands.h"
#include "cli/Options.h"
#include "cli/Output.h"
#include "md5/Md5.h"
#include "platform/Services.h"

namespace tessarin::cli {

// digest, two spaces, path: the md5sum format, names escaped as md5sum
// escapes them. A file that cannot be read is named on standard error
// instead, with the cause, and the exit code is 1, as md5sum does.
int runMd5(const Arguments& args, platform::Services& services)
{
    Records records = Records::Lines;
    std::vector<std::string> files;
    const int parsed = parseOptions(
        "md5", args, {{"null", 'z', false, kNull}},
        [&](int, const char*) {
            records = Records::Nul;
            return true;
        },
        files);
    if (parsed >= 0)
        return parsed;
    if (files.empty())
        return usageError("md5", "缺少文件");
    platform::FileReader& reader = services.reader;
    Output out(records);
    int exitCode = 0;
    for (const std::string& path : files) {
        errno = 0;
        if (const auto digest = md5::tryDigestFile(reader, path)) {
            out.record(md5::DigestToHex(*digest) + "  ", path, {}, false);
        } else {
            // The open or read that failed left its cause; a directory or a
            // device opens fine but is no regular file.
            const int cause = errno;
            out.flush();
            std::fprintf(stderr, "tessarin-cli: %s: %s\n", path.c_str(),
                         cause != 0 ? platform::systemErrorText(cause).c_str() : "不是普通文件");
            exitCode = kFailureExit;
        }
    }
    return exitCode;
}

} // namespace tessarin::cli
