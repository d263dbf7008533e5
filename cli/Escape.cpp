#include "cli/Escape.h"

namespace tessarin::cli {

bool appendEscapedName(std::string_view name, bool escapeTab, std::string& out)
{
    bool escaped = false;
    for (const char c : name) {
        const char* replacement = c == '\\'                ? "\\\\"
                                  : c == '\n'              ? "\\n"
                                  : c == '\r'              ? "\\r"
                                  : c == '\t' && escapeTab ? "\\t"
                                                           : nullptr;
        if (replacement) {
            out += replacement;
            escaped = true;
        } else {
            out += c;
        }
    }
    return escaped;
}

} // namespace tessarin::cli
