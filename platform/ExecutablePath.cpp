#include "platform/ExecutablePath.h"

#include <climits>
#include <unistd.h>
#include <vector>

namespace tessarin::platform {

std::string executablePath()
{
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            return {};
        if (static_cast<std::size_t>(length) < buffer.size())
            return std::string(buffer.data(), static_cast<std::size_t>(length));
        buffer.resize(buffer.size() * 2); // the path may have been cut: try again larger
    }
}

std::string besideExecutable(std::string_view executable, std::string_view fileName)
{
    const std::size_t slash = executable.rfind('/');
    std::string path(slash == std::string_view::npos ? std::string_view() : executable.substr(0, slash + 1));
    path += fileName;
    return path;
}

} // namespace tessarin::platform
