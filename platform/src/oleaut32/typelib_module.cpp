// A module's type library: its "TYPELIB" resource 1, read through the loader's
// resource services with the module loaded as a data file.
#include <windows.h>

#include "core/utf.h"
#include "oleaut32/typelib_internal.h"

namespace typelib {

bool ModuleTypeLibResource(const std::string &path, std::vector<uint8_t> *bytes) {
  std::u16string wide;
  if (!platform_utf::ToUtf16(path, &wide)) return false;
  HMODULE module = LoadLibraryExW(wide.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return false;
  bool found = false;
  if (HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(1), u"TYPELIB")) {
    HGLOBAL loaded = LoadResource(module, info);
    const void *data = loaded ? LockResource(loaded) : nullptr;
    DWORD size = SizeofResource(module, info);
    if (data) {
      const uint8_t *first = static_cast<const uint8_t *>(data);
      bytes->assign(first, first + size);
      found = true;
    }
  }
  FreeLibrary(module);
  return found;
}

}  // namespace typelib
