#pragma once
#include <stdexcept>
#include <string>

namespace tessarin::core {

// An error that abandons the rest of a command. Its text is shown to the user
// as it stands (the window's standard error box adds the closing full stop).
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& text) : std::runtime_error(text) {}
};

} // namespace tessarin::core
