// Loaded ELF objects as modules: a module handle is the base address of the
// object's mapping, which is what dladdr reports as dli_fbase.
#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <vector>

#include "kernel32/loader_internal.h"

namespace platform_loader {
namespace {

// The address of the object's first loadable segment, which dladdr maps back to its base.
const void *FirstSegment(const dl_phdr_info *info) {
  for (int i = 0; i < info->dlpi_phnum; ++i)
    if (info->dlpi_phdr[i].p_type == PT_LOAD)
      return reinterpret_cast<const void *>(info->dlpi_addr + info->dlpi_phdr[i].p_vaddr);
  return nullptr;
}

std::string RealPath(const char *path) {
  char resolved[PATH_MAX];
  return realpath(path, resolved) ? std::string(resolved) : std::string(path);
}

std::string ExecutablePath() {
  char buffer[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return n > 0 ? std::string(buffer, size_t(n)) : std::string();
}

struct Object {
  const void *segment;
  std::string name;  // empty for the main program
};

// Lists the loaded objects. dladdr must not be called from inside the
// iteration (the two take the dynamic linker's locks in opposite orders).
std::vector<Object> Objects() {
  std::vector<Object> objects;
  dl_iterate_phdr(
      [](dl_phdr_info *info, size_t, void *data) {
        auto &list = *static_cast<std::vector<Object> *>(data);
        const void *segment = FirstSegment(info);
        bool main = list.empty();
        if (segment) list.push_back(Object{segment, main || !info->dlpi_name ? std::string() : std::string(info->dlpi_name)});
        return 0;
      },
      &objects);
  return objects;
}

}  // namespace

HMODULE ObjectContaining(const void *address) {
  Dl_info info;
  if (!address || !dladdr(address, &info)) return nullptr;
  return static_cast<HMODULE>(info.dli_fbase);
}

HMODULE MainProgram() {
  static HMODULE main = [] {
    std::vector<Object> objects = Objects();
    return objects.empty() ? nullptr : ObjectContaining(objects.front().segment);
  }();
  return main;
}

void ForEachObject(const std::function<void(HMODULE, const std::string &)> &visit) {
  std::vector<Object> objects = Objects();
  for (size_t i = 0; i < objects.size(); ++i) {
    HMODULE handle = ObjectContaining(objects[i].segment);
    if (!handle) continue;
    visit(handle, (i == 0 || objects[i].name.empty()) ? ExecutablePath() : RealPath(objects[i].name.c_str()));
  }
}

bool ObjectPath(HMODULE handle, std::string *path) {
  if (!handle) return false;
  std::vector<Object> objects = Objects();
  for (size_t i = 0; i < objects.size(); ++i) {
    if (ObjectContaining(objects[i].segment) != handle) continue;
    std::string found = (i == 0 || objects[i].name.empty()) ? ExecutablePath() : RealPath(objects[i].name.c_str());
    if (found.empty()) return false;
    if (path) *path = found;
    return true;
  }
  return false;
}

}  // namespace platform_loader
