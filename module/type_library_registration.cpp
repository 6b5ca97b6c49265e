#include "module/type_library_registration.h"

#include "module/failure.h"
#include "module/module_flags.h"

namespace {

typedef HRESULT(WINAPI *RegisterForUserFunction)(ITypeLib *, OLECHAR *, OLECHAR *);
typedef HRESULT(WINAPI *UnregisterForUserFunction)(REFGUID, WORD, WORD, LCID, SYSKIND);

// A directory separator of either platform: the backslash on Windows, where
// module paths never hold a slash, and the slash of the substitute's paths.
bool IsSeparator(WCHAR c) { return c == '\\' || c == '/'; }

// The position of the file name's extension in `path`: its last dot after
// the last separator, or the terminator when there is none.
LPWSTR ExtensionOf(LPWSTR path) {
  LPWSTR extension = nullptr;
  LPWSTR at = path;
  for (; *at != 0; at = CharNextW(at)) {
    if (*at == '.') extension = at;
    else if (IsSeparator(*at)) extension = nullptr;
  }
  return extension ? extension : at;
}

// The per-user function `name` of the automation library, when per-user
// registration is on and the platform has it; null otherwise. Looked up on
// every call: the library may come and go.
template <class Function>
Function PerUserFunction(LPCSTR name) {
  if (!perUserRegistration) return nullptr;
  HMODULE automation = GetModuleHandleW(TEXT("OLEAUT32.DLL"));
  FARPROC entry = automation ? GetProcAddress(automation, name) : nullptr;
  // Through the generic function type, which converts to any other without warnings.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(entry));
}

// Owns what LoadModuleTypeLib hands out.
struct LoadedTypeLib {
  BSTR path = nullptr;
  ITypeLib *library = nullptr;
  ~LoadedTypeLib() {
    if (library) library->Release();
    SysFreeString(path);
  }
};

}  // namespace

HRESULT LoadModuleTypeLib(HINSTANCE module, BSTR *path, ITypeLib **library) {
  if (!path || !library) return E_POINTER;
  *path = nullptr;
  *library = nullptr;

  WCHAR file[MAX_PATH];
  DWORD length = GetModuleFileNameW(module, file, MAX_PATH);
  if (length == 0) return HresultFromFailedCall();
  if (length == MAX_PATH) return HresultFromWin32(ERROR_INSUFFICIENT_BUFFER);

  LPWSTR extension = ExtensionOf(file);
  ITypeLib *loaded = nullptr;
  HRESULT hr = LoadTypeLib(file, &loaded);
  if (FAILED(hr)) {
    if ((extension - file) + 5 > MAX_PATH) return E_FAIL;
    lstrcpynW(extension, TEXT(".tlb"), 5);
    hr = LoadTypeLib(file, &loaded);
    if (FAILED(hr)) return hr;
  }
  *library = loaded;
  *path = SysAllocString(file);
  if (!*path) return E_OUTOFMEMORY;
  return hr;
}

HRESULT RegisterModuleTypeLib(HINSTANCE module) {
  LoadedTypeLib loaded;
  HRESULT hr = LoadModuleTypeLib(module, &loaded.path, &loaded.library);
  if (FAILED(hr)) return hr;

  BSTR helpFile = nullptr;
  WCHAR helpDirectory[MAX_PATH];
  LPWSTR helpDirectoryArgument = nullptr;
  if (SUCCEEDED(loaded.library->GetDocumentation(-1, nullptr, nullptr, nullptr, &helpFile)) && helpFile) {
    lstrcpynW(helpDirectory, helpFile, MAX_PATH);
    helpDirectory[MAX_PATH - 1] = 0;
    LPWSTR cut = helpDirectory;
    for (LPWSTR at = helpDirectory; *at != 0; at = CharNextW(at)) {
      if (IsSeparator(*at) || *at == ':') cut = CharNextW(at);
    }
    *cut = 0;
    helpDirectoryArgument = helpDirectory;
  }
  SysFreeString(helpFile);

  auto forUser = PerUserFunction<RegisterForUserFunction>("RegisterTypeLibForUser");
  return forUser ? forUser(loaded.library, loaded.path, helpDirectoryArgument)
                 : RegisterTypeLib(loaded.library, loaded.path, helpDirectoryArgument);
}

HRESULT UnregisterModuleTypeLib(HINSTANCE module) {
  LoadedTypeLib loaded;
  HRESULT hr = LoadModuleTypeLib(module, &loaded.path, &loaded.library);
  if (FAILED(hr)) return hr;
  TLIBATTR *attributes = nullptr;
  hr = loaded.library->GetLibAttr(&attributes);
  if (FAILED(hr)) return hr;
  if (!attributes) return E_FAIL;

  auto forUser = PerUserFunction<UnregisterForUserFunction>("UnRegisterTypeLibForUser");
  hr = forUser ? forUser(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum, attributes->lcid,
                         attributes->syskind)
               : UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                                   attributes->lcid, attributes->syskind);
  loaded.library->ReleaseTLibAttr(attributes);
  return hr;
}
