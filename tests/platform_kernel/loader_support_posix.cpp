// The loader tests' view of the process under the substitute: the dynamic
// linker's own list and the file system.
#include "loader_support.h"

#include <dlfcn.h>
#include <stdlib.h>
#include <unistd.h>

#include <climits>

namespace loader_support {

bool StillMapped(const char *path) {
  void *dl = dlopen(path, RTLD_LAZY | RTLD_NOLOAD);
  if (dl) dlclose(dl);
  return dl != nullptr;
}

std::string FullPath(const char *path) {
  char resolved[PATH_MAX];
  return realpath(path, resolved) ? std::string(resolved) : std::string();
}

std::string ProgramPath() {
  char self[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  return n > 0 ? std::string(self, size_t(n)) : std::string();
}

}  // namespace loader_support
