// Names and paths of the registry: limits, case folding, path splitting.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "windows.h"

namespace registry {

constexpr size_t kMaxKeyNameLength = 255;
constexpr size_t kMaxValueNameLength = 16383;
// Levels below a predefined root, counted in the store (HKEY_CLASSES_ROOT\X is
// three levels deep: HKEY_LOCAL_MACHINE\SOFTWARE\Classes\X).
constexpr size_t kMaxDepth = 512;

// Number of units before the first NUL; 0 for null.
size_t TextLength(const char16_t *text);

// The comparison key of a name: every unit upper-cased, as big-endian bytes,
// so that byte order of two folds is the order subkeys are enumerated in.
std::string Fold(const std::u16string &name);

// Splits a subkey path at backslashes into *names (null or empty gives none).
// Runs of backslashes count as one and trailing ones are ignored. Returns
// ERROR_BAD_PATHNAME for a leading backslash and ERROR_INVALID_PARAMETER for a
// name longer than 255 units.
LSTATUS SplitPath(const char16_t *path, std::vector<std::u16string> *names);

// "a\b\c" from the names; `prefix` (when not empty) goes first.
std::string JoinPath(const std::string &prefix, const std::vector<std::u16string> &names);

// UTF-16 to UTF-8 (an unpaired surrogate becomes U+FFFD) and back.
std::string ToUtf8(const std::u16string &text);
std::u16string FromUtf8(const std::string &text);

}  // namespace registry
