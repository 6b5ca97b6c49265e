// Text conversion between UTF-8, code-page bytes and UTF-16, through the
// code-page functions of the system.
#pragma once
#include <string>

namespace tools {

// UTF-8 to UTF-16; invalid sequences become U+FFFD.
std::u16string Widen(const std::string &utf8);
// Bytes in `codePage` (CP_ACP, ...) to UTF-16; an unknown code page gives the
// bytes as Latin-1.
std::u16string WidenFrom(unsigned codePage, const std::string &bytes);
// UTF-8 to UTF-16 into *out; false, with *out empty, for text that is not
// well-formed UTF-8.
bool WidenExact(const std::string &utf8, std::u16string *out);
// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string Narrow(const std::u16string &text);
// As above for NUL-terminated text; null gives the empty string.
std::string Narrow(const char16_t *text);

}  // namespace tools
