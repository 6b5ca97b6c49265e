// The loader's view of modules, shared by the loader's services and by the
// services that read from modules (resources).
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace platform_resources {
struct ResourceImage;
}

namespace platform_loader {

// One library loaded through LoadLibraryW/ExW or referenced through GetModuleHandleExW.
struct Module {
  HMODULE handle = nullptr;
  void *dl = nullptr;        // dlopen handle; null for a data module
  std::string path;          // absolute, UTF-8
  unsigned refs = 0;
  bool data = false;         // loaded as a data file: mapped for reading only, no code run
  bool attached = false;     // DllMain(DLL_PROCESS_ATTACH) has succeeded
  bool pinned = false;       // never unloaded
  PDLL_MAIN entry = nullptr; // the library's own exported DllMain, if any
  // The file's resources: read at load for a data module, on first use for an
  // executable one; freed with the record.
  std::shared_ptr<const platform_resources::ResourceImage> resources;
};

// The loader lock. Recursive, so that a library's static construction and its
// DllMain may call back into the loader.
std::recursive_mutex &LoaderLock();

// The record of a handle, or null. Call with LoaderLock held.
Module *FindRecord(HMODULE handle);

// The handle of the main program: the base address of its mapping.
HMODULE MainProgram();

// The base address of the loaded object that contains `address`, or null.
HMODULE ObjectContaining(const void *address);

// The absolute path of a loaded object whose base is `handle`; false when no
// loaded object starts there.
bool ObjectPath(HMODULE handle, std::string *path);

// Calls `visit` with the handle and absolute path of every loaded object, the
// main program first. Do not call with LoaderLock held from a thread the
// dynamic linker may be waiting for.
void ForEachObject(const std::function<void(HMODULE, const std::string &)> &visit);

// The absolute UTF-8 path of any module handle: null (the main program), a
// loader record (executable or data), a system pseudo module or a loaded object.
// Returns false for anything else. `isData` (optional) tells whether the module
// was loaded as a data file. Safe to call from any thread.
bool ModulePath(HMODULE handle, std::string *path, bool *isData = nullptr);

// The pseudo module of a system library name ("advapi32", "ADVAPI32.DLL", ...),
// or null when the name is not one of them.
HMODULE SystemModule(const std::u16string &name);

// The canonical name ("Advapi32.dll") of a pseudo module handle, or null.
const char *SystemModuleName(HMODULE handle);

// The substitute's own export called `name`, or null.
void *SubstituteExport(const char *name);

// The path of the substitute's own shared library.
const std::string &SubstitutePath();

}  // namespace platform_loader
