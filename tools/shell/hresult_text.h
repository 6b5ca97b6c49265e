// Readable texts for HRESULTs and Win32 error codes, from a small table of
// the common codes (the system's message texts).
#pragma once
#include <windows.h>

#include <string>

// The text of a Win32 error code; "Unknown error" for codes not in the table.
std::string Win32ErrorText(DWORD code);

// The text of an HRESULT: S_OK, the table's COM codes, HRESULT_FROM_WIN32
// codes through Win32ErrorText; "Unknown error" or "Success" otherwise.
std::string HresultText(HRESULT hr);

// "0x80004005 Unspecified error": the HRESULT in 8 hexadecimal digits and its text.
std::string DescribeHresult(HRESULT hr);
