// UTF-8 (the command line and the output) to and from UTF-16 (the Windows API).
#pragma once
#include <windows.h>

#include <string>

typedef std::basic_string<WCHAR> WideString;

// The UTF-16 form of `text`; false for text that is not well-formed UTF-8.
bool Utf8ToWide(const std::string &text, WideString *out);
// The UTF-8 form of `text` (null: empty); unpaired surrogates become U+FFFD.
std::string WideToUtf8(const WCHAR *text);
std::string WideToUtf8(const WideString &text);
