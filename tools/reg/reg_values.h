// Value types and data as the reg command line writes and shows them.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

// The type named `name` (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD and
// its two endian names, REG_QWORD, REG_BINARY, REG_NONE; case-insensitive);
// nullopt for others.
std::optional<DWORD> TypeFromName(const std::u16string &name);

// The name reg shows for `type`: REG_SZ ..., or 0x%x for a type without one.
std::u16string TypeName(DWORD type);

enum class DataError { None, BadNumber, BadHex, EmptyString };

// The bytes to store for /d `text` (nullopt: no /d) given as data of `type`:
// REG_SZ, REG_EXPAND_SZ and REG_NONE UTF-16LE with a terminating NUL;
// REG_MULTI_SZ split into strings at `separator` (empty: the two characters
// "\0"), one trailing empty string dropped, ended by an extra NUL, no data an
// empty list; REG_DWORD (and its two endian names, both stored little-endian)
// and REG_QWORD from decimal or 0x hex, a quadword also from a negative decimal
// or from no data as 0; REG_BINARY from hex digits, an odd count read with a
// leading zero. On failure *out is unchanged.
DataError DataFromText(DWORD type, const std::optional<std::u16string> &text, const std::u16string &separator,
                       std::string *out);

// How reg query shows `data` of `type`: text up to the first NUL, REG_MULTI_SZ
// strings joined by "\0", REG_DWORD and REG_QWORD as 0x hex, anything else (and
// numbers of the wrong size) as upper-case hex digits.
std::u16string DataText(DWORD type, const std::string &data);
