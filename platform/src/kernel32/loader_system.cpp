// The system libraries as pseudo modules whose exports are the substitute's own.
#include <dlfcn.h>

#include <cstring>

#include "kernel32/case_fold.h"
#include "kernel32/loader_internal.h"

namespace platform_loader {
namespace {

constexpr const char *kSystemNames[] = {"Advapi32.dll", "Kernel32.dll", "OLEAUT32.DLL",
                                        "Ole32.dll",    "Shell32.dll",  "User32.dll"};
constexpr size_t kSystemCount = sizeof kSystemNames / sizeof kSystemNames[0];

// Distinct addresses that no loaded object starts at serve as the pseudo handles.
char pseudoHandles[kSystemCount];

bool SameName(const std::u16string &name, const char *ascii, size_t length) {
  if (name.size() != length) return false;
  for (size_t i = 0; i < length; ++i)
    if (platform_case::Lower(name[i]) != platform_case::Lower(char16_t(uint8_t(ascii[i])))) return false;
  return true;
}

struct Self {
  std::string path;
  void *dl = nullptr;
  HMODULE base = nullptr;
};

const Self &self() {
  static const Self s = [] {
    Self out;
    Dl_info info;
    if (dladdr(reinterpret_cast<const void *>(&SubstituteExport), &info) && info.dli_fname) {
      out.base = static_cast<HMODULE>(info.dli_fbase);
      ObjectPath(out.base, &out.path);
      out.dl = dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
    }
    return out;
  }();
  return s;
}

}  // namespace

HMODULE SystemModule(const std::u16string &name) {
  for (size_t i = 0; i < kSystemCount; ++i) {
    size_t full = std::strlen(kSystemNames[i]);
    if (SameName(name, kSystemNames[i], full) || SameName(name, kSystemNames[i], full - 4))
      return reinterpret_cast<HMODULE>(&pseudoHandles[i]);
  }
  return nullptr;
}

const char *SystemModuleName(HMODULE handle) {
  for (size_t i = 0; i < kSystemCount; ++i)
    if (handle == reinterpret_cast<HMODULE>(&pseudoHandles[i])) return kSystemNames[i];
  return nullptr;
}

void *SubstituteExport(const char *name) {
  const Self &s = self();
  if (!s.dl || !name) return nullptr;
  void *symbol = dlsym(s.dl, name);
  // dlsym also searches the substitute's own dependencies (the C library...).
  return symbol && ObjectContaining(symbol) == s.base ? symbol : nullptr;
}

const std::string &SubstitutePath() { return self().path; }

}  // namespace platform_loader
