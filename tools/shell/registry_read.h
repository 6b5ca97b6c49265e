// Reading the registry: string values, key presence, subkey names.
#pragma once
#include <windows.h>

#include <vector>

#include "wide_text.h"

namespace tools {

// The string value `name` (null: the default value) of root\path into *out.
// Returns ERROR_SUCCESS; the registry's error (ERROR_FILE_NOT_FOUND for a
// missing key or value); ERROR_DATATYPE_MISMATCH for a value that is not
// REG_SZ or REG_EXPAND_SZ (left unexpanded).
LSTATUS ReadString(HKEY root, const std::u16string &path, const WCHAR *name, std::u16string *out);

// Whether the registry can be read at all: ERROR_SUCCESS, or the error of
// opening HKEY_CLASSES_ROOT (e.g. ERROR_REGISTRY_IO_FAILED for a registry
// file that cannot be opened).
LSTATUS ProbeRegistry();

// True when root\path can be opened for reading.
bool KeyExists(HKEY root, const std::u16string &path);

// The subkey names of root\path in enumeration order; empty when it is missing.
std::vector<std::u16string> SubkeyNames(HKEY root, const std::u16string &path);

}  // namespace tools
