#include "platform/MountInfo.h"

#include <fstream>
#include <sstream>

namespace tessarin::platform {

namespace {

// mountinfo writes space, tab, newline and backslash as three octal digits.
std::string unescapeField(std::string_view field)
{
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string_view digits = field.substr(i + 1, 3);
            if (digits.find_first_not_of("01234567") == std::string_view::npos) {
                out += static_cast<char>(std::stoi(std::string(digits), nullptr, 8));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

} // namespace

std::vector<MountRecord> parseMountInfo(std::string_view text)
{
    // "id parent major:minor root point options [optional...] - type source super"
    std::vector<MountRecord> mounts;
    std::istringstream lines{std::string(text)};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string id, parent, numbers, root, point;
        if (!(fields >> id >> parent >> numbers >> root >> point))
            continue;
        MountRecord record;
        char colon = 0;
        std::istringstream device(numbers);
        if (!(device >> record.major >> colon >> record.minor) || colon != ':')
            continue;
        const std::size_t dash = line.find(" - ");
        if (dash == std::string::npos)
            continue;
        std::istringstream tail(line.substr(dash + 3));
        if (!(tail >> record.type >> record.source))
            continue;
        record.source = unescapeField(record.source);
        record.mountPoint = unescapeField(point);
        mounts.push_back(std::move(record));
    }
    return mounts;
}

std::vector<MountRecord> readMountInfo(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return parseMountInfo(text.str());
}

std::optional<MountRecord> findMount(const std::vector<MountRecord>& mounts, unsigned major, unsigned minor)
{
    for (auto it = mounts.rbegin(); it != mounts.rend(); ++it)
        if (it->major == major && it->minor == minor)
            return *it;
    return std::nullopt;
}

} // namespace tessarin::platform
