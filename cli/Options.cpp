#include "cli/Options.h"

#include <cstdio>
#include <cstring>
#include <getopt.h>

namespace tessarin::cli {

int parseOptions(const char* subcommand, const Arguments& args, const std::vector<OptionSpec>& specs,
                 const std::function<bool(int id, const char* value)>& take, std::vector<std::string>& operands)
{
    // getopt_long permutes the vector it is given: the subcommand's name
    // stands first, as a program's name would.
    std::vector<std::string> words{subcommand};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    std::vector<option> longOptions;
    std::string shortOptions = ":h"; // ':' first: a missing value is told apart
    longOptions.push_back({"help", no_argument, nullptr, kHelp});
    for (const OptionSpec& spec : specs) {
        longOptions.push_back({spec.longName, spec.takesValue ? required_argument : no_argument, nullptr, spec.id});
        if (spec.shortName) {
            shortOptions += spec.shortName;
            if (spec.takesValue)
                shortOptions += ':';
        }
    }
    longOptions.push_back({nullptr, 0, nullptr, 0});

    const auto idOfShort = [&](int c) {
        for (const OptionSpec& spec : specs)
            if (spec.shortName == c)
                return spec.id;
        return 0;
    };
    const auto nameOf = [&](int id) {
        for (const OptionSpec& spec : specs)
            if (spec.id == id)
                return std::string("--") + spec.longName;
        return std::string();
    };

    opterr = 0; // the messages are our own, in the system's language
    optind = 0; // a fresh scan (glibc), after main's
    const int argc = static_cast<int>(argv.size()) - 1;
    for (;;) {
        int index = -1;
        const int c = getopt_long(argc, argv.data(), shortOptions.c_str(), longOptions.data(), &index);
        if (c == -1)
            break;
        const char* word = argv[optind - 1];
        // A long option is taken only by its whole name: "--delete" must not
        // quietly mean "--delete-old-files".
        if (index >= 0) {
            const char* typed = optarg && word == optarg ? argv[optind - 2] : word;
            const std::size_t length = std::strlen(longOptions[index].name);
            if (std::strncmp(typed + 2, longOptions[index].name, length) != 0 ||
                (typed[2 + length] != '\0' && typed[2 + length] != '='))
                return usageError(subcommand, "无法识别的选项“" + std::string(typed, std::strcspn(typed, "=")) + "”");
        }
        if (c == 'h' || c == kHelp) {
            std::fputs(usageOf(subcommand), stdout);
            return 0;
        }
        if (c == '?') {
            const std::string named =
                std::strncmp(word, "--", 2) == 0 ? std::string(word) : std::string("-") + static_cast<char>(optopt);
            return usageError(subcommand, "无法识别的选项“" + named + "”");
        }
        if (c == ':') {
            const std::string named =
                optopt > 0 && optopt < 256 ? std::string("-") + static_cast<char>(optopt) : nameOf(optopt);
            return usageError(subcommand, "选项“" + named + "”需要一个参数");
        }
        const int id = c < 256 && idOfShort(c) ? idOfShort(c) : c;
        if (!take(id, optarg))
            return usageError(subcommand, "选项“" + nameOf(id) + "”的参数“" + (optarg ? optarg : "") + "”无效");
    }
    for (int k = optind; k < argc; ++k)
        operands.emplace_back(argv[k]);
    return -1;
}

int usageError(const char* subcommand, const std::string& message)
{
    std::fprintf(stderr, "tessarin-cli: %s\n", message.c_str());
    if (subcommand)
        std::fprintf(stderr, "请用“tessarin-cli %s --help”查看用法。\n", subcommand);
    else
        std::fputs("请用“tessarin-cli --help”查看用法。\n", stderr);
    return 2;
}

} // namespace tessarin::cli
