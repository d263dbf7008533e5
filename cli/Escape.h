#pragma once
#include <string>
#include <string_view>

namespace tessarin::cli {

// A name as md5sum writes it in a line: a backslash becomes "\\", a newline
// "\n" and a carriage return "\r"; a tab becomes "\t" too where the fields of
// a line are split on tabs. Appends the name to out, escaped where needed,
// and returns whether it was: such a line starts with a backslash, so a
// reader knows to undo it.
bool appendEscapedName(std::string_view name, bool escapeTab, std::string& out);

} // namespace tessarin::cli
