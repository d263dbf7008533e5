#pragma once
// Names matched without regard to letter case, for volumes that ignore it.
#include <string>
#include <string_view>

namespace tessarin::sync {

// Appends to out the name with every letter folded to one case: ASCII and
// the other letters of UTF-8 text alike, each to the lower case of its upper
// case, so that "ς" and "σ", "K" (the Kelvin sign) and "k" fold alike. Bytes
// that are not valid UTF-8 are kept as they are, so two names fold alike
// only where their letters do. The folding may join names that a volume
// keeps apart: a name's exact twin is always paired first.
void appendFoldedCase(std::string_view name, std::string& out);

inline std::string foldedCase(std::string_view name)
{
    std::string out;
    appendFoldedCase(name, out);
    return out;
}

} // namespace tessarin::sync
