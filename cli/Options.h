#pragma once
// Options as the GNU tools take them (getopt_long): short and long forms,
// "--name=value" or "--name value", options among the operands, and "--"
// ending them.
#include <functional>
#include <string>
#include <vector>

#include "cli/Commands.h"

namespace tessarin::cli {

struct OptionSpec {
    const char* longName;
    char shortName; // 0: long form only
    bool takesValue;
    int id;
};

// The options every subcommand takes besides its own.
enum CommonOption { kHelp = 1000, kQuiet, kNull };

// Parses a subcommand's arguments: -h/--help prints usage on standard output;
// every other option goes to take(id, value), which returns false for a
// value it cannot use. Returns the exit code when the command ends here (0
// after the help, 2 for an unknown or malformed option, named on standard
// error in the system's language), or -1 to go on with the operands.
int parseOptions(const char* subcommand, const Arguments& args, const std::vector<OptionSpec>& specs,
                 const std::function<bool(int id, const char* value)>& take, std::vector<std::string>& operands);

// The usage texts, in the system's language, with the options' names.
const char* usageText(); // every subcommand
const char* usageOf(const char* subcommand);

// A usage error: "tessarin-cli: message" and where the usage is, on standard
// error; returns the usage exit code 2.
int usageError(const char* subcommand, const std::string& message);

} // namespace tessarin::cli
