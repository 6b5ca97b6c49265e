// Readable texts for HRESULTs and Win32 error codes, from a small table of
// the common codes (the system's message texts).
#pragma once
#include <windows.h>

#include <string>

namespace tools {

// The system text of a Win32 error code, or null for codes not in the table.
const char *KnownWin32ErrorText(DWORD code);

// The system text of an HRESULT (the table's COM codes, HRESULT_FROM_WIN32
// codes through KnownWin32ErrorText), or null for codes not in the table.
const char *KnownHresultText(HRESULT hr);

// The text of a Win32 error code; "Unknown error" for codes not in the table.
std::string Win32ErrorText(DWORD code);

// The text of an HRESULT as KnownHresultText; "Unknown error" or "Success" otherwise.
std::string HresultText(HRESULT hr);

// "0x80004005 Unspecified error": the HRESULT in 8 hexadecimal digits and its text.
std::string DescribeHresult(HRESULT hr);

}  // namespace tools
