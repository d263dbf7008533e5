// tessarin-cli: the core without a window, for scripts, tests and benchmarks.
#include <cstdio>
#include <cstring>

#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "core/Error.h"

namespace {

struct Subcommand {
    const char* name;
    int (*run)(const tessarin::cli::Arguments&);
};

constexpr Subcommand kSubcommands[] = {
    {"compare", tessarin::cli::runCompare},
    {"sync", tessarin::cli::runSync},
    {"md5", tessarin::cli::runMd5},
    {"drives", tessarin::cli::runDrives},
    {"find-copies", tessarin::cli::runFindCopies},
};

constexpr const char* kUsage =
    "usage: tessarin-cli compare DIR1 DIR2 [--no-subfolders]\n"
    "       tessarin-cli sync one-to-two|two-to-one|both DIR1 DIR2 [--delete-old-files] [--no-attributes]\n"
    "                         [--no-subfolders]\n"
    "       tessarin-cli md5 FILE...\n"
    "       tessarin-cli drives\n"
    "       tessarin-cli find-copies FILE [ROOT] [--same-extension]\n";

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return tessarin::cli::usageError(kUsage);
    tessarin::cli::Arguments args(argv + 2, argv + argc);
    for (const Subcommand& sub : kSubcommands) {
        if (std::strcmp(argv[1], sub.name) == 0) {
            try {
                return tessarin::cli::runStoppable(sub.name, sub.run, args);
            } catch (const std::exception& e) {
                std::fprintf(stderr, "tessarin-cli: %s\n", e.what());
                return 1;
            }
        }
    }
    return tessarin::cli::usageError(kUsage);
}
