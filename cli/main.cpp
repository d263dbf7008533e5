// tessarin-cli: the core without a window, for scripts, tests and benchmarks.
#include <cstdio>
#include <cstring>
#include <getopt.h>

#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "cli/Options.h"
#include "cli/Output.h"
#include "core/Error.h"
#include "platform/Services.h"
#include "platform/Terminal.h"

namespace {

struct Subcommand {
    const char* name;
    int (*run)(const tessarin::cli::Arguments&, tessarin::platform::Services&);
};

constexpr Subcommand kSubcommands[] = {
    {"compare", tessarin::cli::runCompare},
    {"sync", tessarin::cli::runSync},
    {"md5", tessarin::cli::runMd5},
    {"drives", tessarin::cli::runDrives},
    {"find-copies", tessarin::cli::runFindCopies},
};

// A failed write to standard output ends the command with its cause: a
// script must not take a cut-off listing for a whole one.
int outputFailed(int errorNumber)
{
    std::fprintf(stderr, "tessarin-cli: 写入标准输出失败：%s\n",
                 tessarin::platform::systemErrorText(errorNumber).c_str());
    return 1;
}

int runSubcommand(const Subcommand& sub, const tessarin::cli::Arguments& args, tessarin::platform::Services& services)
{
    try {
        const int code = tessarin::cli::runStoppable(sub.name, [&] { return sub.run(args, services); });
        if (const int failure = tessarin::cli::standardOutputFailure())
            return outputFailed(failure);
        return code;
    } catch (const tessarin::cli::OutputError& e) {
        return outputFailed(e.errorNumber());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tessarin-cli: %s\n", e.what());
        return 1;
    }
}

} // namespace

int main(int argc, char** argv)
{
    using namespace tessarin::cli;
    tessarin::platform::reportBrokenPipe();
    if (argc < 2) {
        std::fputs(usageText(), stderr);
        return 2;
    }
    // The program's own options come before the subcommand ('+': the scan
    // stops at the first operand, which is the subcommand).
    static const option kOptions[] = {
        {"help", no_argument, nullptr, 'h'}, {"version", no_argument, nullptr, 'V'}, {nullptr, 0, nullptr, 0}};
    opterr = 0;
    int c;
    while ((c = getopt_long(argc, argv, "+h", kOptions, nullptr)) != -1) {
        if (c == 'h') {
            std::fputs(usageText(), stdout);
            return standardOutputFailure() ? outputFailed(standardOutputFailure()) : 0;
        }
        if (c == 'V') {
            std::puts("tessarin-cli " TESSARIN_VERSION);
            return standardOutputFailure() ? outputFailed(standardOutputFailure()) : 0;
        }
        const std::string word = argv[optind - 1];
        return usageError(nullptr, "无法识别的选项“" +
                                       (word.rfind("--", 0) == 0 ? word : std::string("-") + char(optopt)) + "”");
    }
    if (optind >= argc)
        return usageError(nullptr, "缺少子命令");
    const char* name = argv[optind];
    // The platform's services, made once for whichever command runs.
    tessarin::platform::Services services;
    for (const Subcommand& sub : kSubcommands)
        if (std::strcmp(name, sub.name) == 0)
            return runSubcommand(sub, Arguments(argv + optind + 1, argv + argc), services);
    return usageError(nullptr, std::string("未知的子命令“") + name + "”");
}
