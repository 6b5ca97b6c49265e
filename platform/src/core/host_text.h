// UTF-16 and UTF-8 conversions for paths and names handed to the host system.
#pragma once
#include <string>

namespace platform_text {

// Strict conversion: returns false (and leaves *out unspecified) for an
// unpaired surrogate, so no path is silently altered. A null text is empty.
bool Utf16ToUtf8(const char16_t *text, std::string *out);
bool Utf16ToUtf8(const std::u16string &text, std::string *out);

// Returns false for text that is not well-formed UTF-8.
bool Utf8ToUtf16(const std::string &text, std::u16string *out);

}  // namespace platform_text
