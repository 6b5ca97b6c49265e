// Finding modules and their exports: GetModuleHandleW/ExW, GetModuleFileNameW
// and GetProcAddress.
#include <dlfcn.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/seams_internal.h"
#include "core/utf.h"
#include "kernel32/case_fold.h"
#include "kernel32/loader_internal.h"
#include "kernel32/loader_records.h"

namespace platform_loader {
namespace {

std::string Hex(const void *p) {
  char text[32];
  std::snprintf(text, sizeof text, "%p", p);
  return text;
}

bool SameTextIgnoringCase(const std::string &a, const std::string &b) {
  std::u16string x, y;
  platform_utf::Utf8ToUtf16(a, x, false);
  platform_utf::Utf8ToUtf16(b, y, false);
  if (x.size() != y.size()) return false;
  for (size_t i = 0; i < x.size(); ++i)
    if (platform_case::Lower(x[i]) != platform_case::Lower(y[i])) return false;
  return true;
}

std::string BaseName(const std::string &path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The loaded (not data-file) module a name stands for: a path names the file
// itself; a bare name matches a module's file name, ignoring case.
HMODULE FindLoaded(LPCWSTR name) {
  if (HMODULE system = SystemModule(name)) return system;
  std::string utf8;
  platform_utf::Utf16ToUtf8(name, utf8, false);
  if (utf8.empty()) return nullptr;
  bool isPath = utf8.find('/') != std::string::npos;
  char resolved[PATH_MAX];
  if (isPath && realpath(utf8.c_str(), resolved)) utf8 = resolved;
  auto matches = [&](const std::string &path) {
    return isPath ? path == utf8 : SameTextIgnoringCase(BaseName(path), utf8);
  };
  {
    std::lock_guard<std::recursive_mutex> lock(LoaderLock());
    if (isPath) {
      if (Module *m = FindRecordByPath(utf8, false)) return m->handle;
    }
  }
  // Every object the dynamic linker holds, which includes the loader's own loads.
  HMODULE found = nullptr;
  ForEachObject([&](HMODULE handle, const std::string &path) {
    if (!found && matches(path)) found = handle;
  });
  return found;
}

// Takes a reference for GetModuleHandleExW; a library the loader has no record
// of gets one, holding its own dlopen reference.
void AddReference(HMODULE handle, bool pin) {
  if (SystemModuleName(handle) || handle == MainProgram()) return;
  std::lock_guard<std::recursive_mutex> lock(LoaderLock());
  Module *m = FindRecord(handle);
  if (!m) {
    std::string path;
    if (!ObjectPath(handle, &path)) return;
    void *dl = dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (!dl) return;
    auto fresh = std::make_unique<Module>();
    fresh->handle = handle;
    fresh->dl = dl;
    fresh->path = path;
    void *entry = dlsym(dl, "DllMain");
    if (entry && ObjectContaining(entry) == handle) fresh->entry = reinterpret_cast<PDLL_MAIN>(entry);
    m = AddRecord(std::move(fresh));
  }
  if (pin) m->pinned = true;
  else ++m->refs;
}

// The symbol `name` defined by the object whose base is `handle` itself.
void *OwnSymbol(void *dl, HMODULE handle, const char *name) {
  void *symbol = dlsym(dl, name);
  return symbol && ObjectContaining(symbol) == handle ? symbol : nullptr;
}

FARPROC FailProc(DWORD error) {
  SetLastError(error);
  return nullptr;
}

}  // namespace
}  // namespace platform_loader

HMODULE WINAPI GetModuleHandleW(LPCWSTR lpModuleName) {
  uint32_t code = 0;
  if (seams::Enter("GetModuleHandleW", seams::Utf8(lpModuleName), "", &code)) {
    SetLastError(code);
    return nullptr;
  }
  if (!lpModuleName) return platform_loader::MainProgram();
  HMODULE found = platform_loader::FindLoaded(lpModuleName);
  if (!found) SetLastError(ERROR_MOD_NOT_FOUND);
  return found;
}

BOOL WINAPI GetModuleHandleExW(DWORD dwFlags, LPCWSTR lpModuleName, HMODULE *phModule) {
  using namespace platform_loader;
  if (!phModule) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *phModule = nullptr;
  constexpr DWORD kPin = GET_MODULE_HANDLE_EX_FLAG_PIN, kKeep = GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
  if ((dwFlags & ~DWORD(kPin | kKeep | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS)) ||
      ((dwFlags & kPin) && (dwFlags & kKeep))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  HMODULE found;
  if (dwFlags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS) found = ObjectContaining(lpModuleName);
  else found = lpModuleName ? FindLoaded(lpModuleName) : MainProgram();
  if (!found) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
  }
  // Without a reference to take, the loader lock is not needed: this is what a
  // library's static constructors may call while the dynamic linker runs them.
  if (!(dwFlags & kKeep)) AddReference(found, (dwFlags & kPin) != 0);
  *phModule = found;
  return TRUE;
}

DWORD WINAPI GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize) {
  uint32_t code = 0;
  if (seams::Enter("GetModuleFileNameW", platform_loader::Hex(hModule), std::to_string(nSize), &code)) {
    SetLastError(code);
    return 0;
  }
  std::string path;
  if (!platform_loader::ModulePath(hModule, &path)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  if (nSize > 0 && !lpFilename) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::u16string wide;
  platform_utf::Utf8ToUtf16(path, wide, false);
  if (nSize == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (wide.size() < nSize) {
    std::memcpy(lpFilename, wide.data(), wide.size() * sizeof(WCHAR));
    lpFilename[wide.size()] = 0;
    return static_cast<DWORD>(wide.size());
  }
  std::memcpy(lpFilename, wide.data(), (nSize - 1) * sizeof(WCHAR));
  lpFilename[nSize - 1] = 0;
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return nSize;
}

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  using namespace platform_loader;
  bool byOrdinal = IS_INTRESOURCE(lpProcName);
  const char *system = SystemModuleName(hModule);
  std::string subject = system ? std::string(system) : Hex(hModule);
  uint32_t code = 0;
  if (seams::Enter("GetProcAddress", subject, byOrdinal ? "#" + std::to_string(uintptr_t(lpProcName)) : lpProcName,
                   &code))
    return FailProc(code);
  if (byOrdinal) return FailProc(ERROR_PROC_NOT_FOUND);  // exports have names only
  if (system) {
    std::string stem(system, std::strlen(system) - 4);
    if (seams::IsExportHidden(system, lpProcName) || seams::IsExportHidden(stem, lpProcName))
      return FailProc(ERROR_PROC_NOT_FOUND);
    void *symbol = SubstituteExport(lpProcName);
    return symbol ? reinterpret_cast<FARPROC>(symbol) : FailProc(ERROR_PROC_NOT_FOUND);
  }
  HMODULE handle = hModule ? hModule : MainProgram();
  void *symbol = nullptr;
  {
    std::lock_guard<std::recursive_mutex> lock(LoaderLock());
    if (Module *m = FindRecord(handle)) {
      if (m->data || !m->dl) return FailProc(ERROR_PROC_NOT_FOUND);
      symbol = OwnSymbol(m->dl, handle, lpProcName);
      return symbol ? reinterpret_cast<FARPROC>(symbol) : FailProc(ERROR_PROC_NOT_FOUND);
    }
  }
  std::string path;
  if (!ObjectPath(handle, &path)) return FailProc(ERROR_MOD_NOT_FOUND);
  void *dl = handle == MainProgram() ? dlopen(nullptr, RTLD_LAZY) : dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
  if (!dl) return FailProc(ERROR_MOD_NOT_FOUND);
  symbol = OwnSymbol(dl, handle, lpProcName);
  dlclose(dl);
  return symbol ? reinterpret_cast<FARPROC>(symbol) : FailProc(ERROR_PROC_NOT_FOUND);
}
