// The selected items: absolute paths and what kind of item each is. On Linux
// the file system stands in for the shell's namespace: a drive is "/" or a
// mount point.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "wide_text.h"

namespace tools {

enum class ItemKind { File, Directory, Drive };

struct SelectedItem {
  std::u16string path;  // absolute, without "." or ".." parts, repeated or trailing '/'
  ItemKind kind = ItemKind::File;
};

// The absolute form of `path` against the current directory, with "." and
// ".." resolved by name. Returns false when the current directory is unknown.
bool AbsolutePath(const std::string &path, std::string *out);

// Resolves one path of the command line. Returns ERROR_SUCCESS with *out
// filled; ERROR_FILE_NOT_FOUND for a missing item, ERROR_NO_UNICODE_TRANSLATION
// for a name that is not UTF-8, ERROR_PATH_NOT_FOUND when the current
// directory is unknown.
DWORD ResolveItem(const std::string &path, SelectedItem *out);

// "file", "directory" or "drive".
const char *ItemKindName(ItemKind kind);

}  // namespace tools
