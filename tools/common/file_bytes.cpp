#include "file_bytes.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tools {

bool ReadFileBytes(const std::string &path, std::string *out, std::string *error) {
  std::FILE *file = std::fopen(path.c_str(), "rb");
  if (!file) {
    *error = std::strerror(errno);
    return false;
  }
  out->clear();
  char buffer[65536];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) out->append(buffer, count);
  bool failed = std::ferror(file) != 0;
  int savedErrno = errno;
  std::fclose(file);
  // A directory opens but cannot be read.
  if (failed) *error = std::strerror(savedErrno ? savedErrno : EIO);
  return !failed;
}

bool WriteFileBytes(const std::string &path, const std::string &bytes, std::string *error) {
  std::FILE *file = std::fopen(path.c_str(), "wb");
  if (!file) {
    *error = std::strerror(errno);
    return false;
  }
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  int savedErrno = errno;
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    savedErrno = errno;
  }
  if (!ok) *error = std::strerror(savedErrno ? savedErrno : EIO);
  return ok;
}

bool FileExists(const std::string &path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

}  // namespace tools
