// GetFileAttributesW over stat(2).
#include <windows.h>

#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "core/utf.h"

namespace {

DWORD Fail(DWORD error) {
  SetLastError(error);
  return INVALID_FILE_ATTRIBUTES;
}

}  // namespace

DWORD WINAPI GetFileAttributesW(LPCWSTR lpFileName) {
  try {
    std::string path;
    if (!lpFileName || !platform_utf::ToUtf8(lpFileName, &path) || path.empty()) return Fail(ERROR_INVALID_NAME);
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
      switch (errno) {
        case ENOENT: {
          // As on Windows, a missing directory on the way is a missing path.
          const size_t slash = path.rfind('/');
          struct stat parent;
          if (slash != std::string::npos && slash > 0 && stat(path.substr(0, slash).c_str(), &parent) != 0)
            return Fail(ERROR_PATH_NOT_FOUND);
          return Fail(ERROR_FILE_NOT_FOUND);
        }
        case ENOTDIR: return Fail(ERROR_PATH_NOT_FOUND);
        case EACCES:
        case EPERM: return Fail(ERROR_ACCESS_DENIED);
        case ENAMETOOLONG: return Fail(ERROR_FILENAME_EXCED_RANGE);
        default: return Fail(ERROR_INVALID_NAME);
      }
    }
    if (S_ISDIR(st.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
    // Unix files keep no archive bit; Windows sets it on every file written, so each file has it.
    return (st.st_mode & S_IWUSR) ? FILE_ATTRIBUTE_ARCHIVE : FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY;
  } catch (...) {
    return Fail(ERROR_NOT_ENOUGH_MEMORY);
  }
}
