#pragma once
// UTF-8 one character at a time, for the code that reads names as text
// without Qt: the case folding and the names a volume cannot hold.
#include <cstddef>
#include <string>
#include <string_view>

namespace tessarin::platform {

// Decodes the character at text[at]: its length in bytes, with code set, or 0
// where the bytes there are no well-formed UTF-8 (a stray or missing byte, an
// overlong form, a UTF-16 surrogate, beyond U+10FFFF).
std::size_t decodeUtf8(std::string_view text, std::size_t at, char32_t& code);

// Appends code (a scalar value) to out as UTF-8.
void appendUtf8(char32_t code, std::string& out);

} // namespace tessarin::platform
