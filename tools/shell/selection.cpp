#include "selection.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>

namespace tools {

namespace {

// A directory whose parent lies on another device, or that is its own parent.
bool IsMountPoint(const std::string &path, const struct stat &item) {
  struct stat parent;
  // "path/.." walks from the directory itself, so a link to a mount point counts too.
  if (stat((path == "/" ? path : path + "/..").c_str(), &parent) != 0) return false;
  return parent.st_dev != item.st_dev || parent.st_ino == item.st_ino;
}

}  // namespace

bool AbsolutePath(const std::string &path, std::string *out) {
  std::string joined = path;
  if (path.empty() || path[0] != '/') {
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd)) return false;
    joined = cwd;
    joined.push_back('/');
    joined.append(path);
  }
  std::vector<std::string> parts;
  size_t begin = 0;
  while (begin <= joined.size()) {
    size_t end = joined.find('/', begin);
    if (end == std::string::npos) end = joined.size();
    const std::string part = joined.substr(begin, end - begin);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    begin = end + 1;
  }
  out->clear();
  for (const std::string &part : parts) {
    out->push_back('/');
    out->append(part);
  }
  if (out->empty()) *out = "/";
  return true;
}

DWORD ResolveItem(const std::string &path, SelectedItem *out) {
  std::string absolute;
  if (!AbsolutePath(path, &absolute)) return ERROR_PATH_NOT_FOUND;
  struct stat st;
  if (stat(absolute.c_str(), &st) != 0) return ERROR_FILE_NOT_FOUND;
  if (!WidenExact(absolute, &out->path)) return ERROR_NO_UNICODE_TRANSLATION;
  if (!S_ISDIR(st.st_mode))
    out->kind = ItemKind::File;
  else
    out->kind = IsMountPoint(absolute, st) ? ItemKind::Drive : ItemKind::Directory;
  return ERROR_SUCCESS;
}

const char *ItemKindName(ItemKind kind) {
  switch (kind) {
    case ItemKind::Directory: return "directory";
    case ItemKind::Drive: return "drive";
    default: return "file";
  }
}

}  // namespace tools
