// Object creation: CoCreateInstance, CoGetClassObject, CoFreeUnusedLibraries.
// Besides the built-in classes, a class is served by the in-process server
// named by the default value of HKEY_CLASSES_ROOT\CLSID\{clsid}\InprocServer32.
// Each server library stays loaded, held once in the list of loaded servers,
// until CoFreeUnusedLibraries finds that its DllCanUnloadNow answers S_OK.
// Initialisation of COM on the calling thread is not required.
#include <windows.h>
#include <objbase.h>

#include <mutex>
#include <string>
#include <vector>

#include "core/guid_text.h"
#include "core/seams_internal.h"
#include "ole32/builtin_classes.h"

namespace {

typedef HRESULT(STDAPICALLTYPE *GetClassObjectFunction)(REFCLSID, REFIID, LPVOID *);
typedef HRESULT(STDAPICALLTYPE *CanUnloadNowFunction)(void);

// FARPROC to the export's own type, through the generic function type.
template <typename Function>
Function Export(HMODULE module, const char *name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

struct LoadedServer {
  HMODULE module;
  CanUnloadNowFunction canUnloadNow;
};

// Loading, using and freeing servers are serialised, so that a server is never
// freed while an object is being created from it. The lock is recursive: a
// server may create objects of other classes while it creates its own.
struct ServerList {
  std::recursive_mutex mutex;
  std::vector<LoadedServer> servers;
};

ServerList &servers() {
  static ServerList *list = new ServerList;  // never destroyed: servers may be used during static destruction
  return *list;
}

// The server path of a registered class, or REGDB_E_CLASSNOTREG.
HRESULT ServerPath(REFCLSID clsid, std::u16string *path) {
  const std::u16string keyPath = u"CLSID\\" + com::GuidText(clsid) + u"\\InprocServer32";
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return REGDB_E_CLASSNOTREG;
  std::vector<WCHAR> buffer(MAX_PATH + 1);
  DWORD type = 0;
  LSTATUS status;
  for (;;) {
    DWORD bytes = static_cast<DWORD>((buffer.size() - 1) * sizeof(WCHAR));
    status = RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE *>(buffer.data()), &bytes);
    if (status == ERROR_MORE_DATA && bytes < (1u << 20)) {
      buffer.assign(bytes / sizeof(WCHAR) + 2, 0);
      continue;
    }
    if (status == ERROR_SUCCESS) buffer[bytes / sizeof(WCHAR)] = 0;
    break;
  }
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return REGDB_E_CLASSNOTREG;
  std::u16string value(buffer.data());
  // Paths are sometimes registered in quotation marks.
  if (value.size() >= 2 && value.front() == u'"' && value.back() == u'"') value = value.substr(1, value.size() - 2);
  if (value.empty()) return REGDB_E_CLASSNOTREG;
  *path = value;
  return S_OK;
}

HRESULT FromLoadError(DWORD error) {
  if (error == 0 || error == ERROR_MOD_NOT_FOUND || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
    return CO_E_DLLNOTFOUND;
  return HRESULT_FROM_WIN32(error);
}

// Loads the class's server (keeping it in the list) and asks it for the class
// object. Caller holds the server lock.
HRESULT ServerClassObject(REFCLSID clsid, REFIID iid, void **ppv) {
  std::u16string path;
  if (HRESULT hr = ServerPath(clsid, &path); FAILED(hr)) return hr;
  HMODULE module = LoadLibraryW(path.c_str());
  if (!module) return FromLoadError(GetLastError());
  auto getClassObject = Export<GetClassObjectFunction>(module, "DllGetClassObject");
  if (!getClassObject) {
    FreeLibrary(module);
    return CO_E_ERRORINDLL;
  }
  ServerList &list = servers();
  bool known = false;
  for (const LoadedServer &s : list.servers) known = known || s.module == module;
  if (known) {
    FreeLibrary(module);  // the list already holds it once
  } else {
    list.servers.push_back(LoadedServer{
        module, Export<CanUnloadNowFunction>(module, "DllCanUnloadNow")});
  }
  HRESULT hr = getClassObject(clsid, iid, ppv);
  if (FAILED(hr)) *ppv = nullptr;
  return hr;
}

std::string CallArguments(REFIID iid, IUnknown *outer, DWORD context) {
  return "iid=" + com::GuidText8(iid) + ", outer=" + (outer ? "yes" : "null") +
         ", context=" + std::to_string(context);
}

}  // namespace

HRESULT STDAPICALLTYPE CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, LPVOID pvReserved, REFIID riid,
                                        LPVOID *ppv) {
  (void)pvReserved;
  if (!ppv) return E_INVALIDARG;
  *ppv = nullptr;
  try {
    uint32_t code = 0;
    if (seams::Enter("CoGetClassObject", com::GuidText8(rclsid), CallArguments(riid, nullptr, dwClsContext), &code))
      return static_cast<HRESULT>(code);
    if (!(dwClsContext & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
    if (com::IsBuiltinClass(rclsid)) return com::BuiltinClassObject(rclsid, riid, ppv);
    ServerList &list = servers();
    std::lock_guard<std::recursive_mutex> lock(list.mutex);
    return ServerClassObject(rclsid, riid, ppv);
  } catch (...) {
    *ppv = nullptr;
    return E_OUTOFMEMORY;
  }
}

HRESULT STDAPICALLTYPE CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid,
                                        LPVOID *ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  try {
    uint32_t code = 0;
    if (seams::Enter("CoCreateInstance", com::GuidText8(rclsid), CallArguments(riid, pUnkOuter, dwClsContext),
                     &code))
      return static_cast<HRESULT>(code);
    if (pUnkOuter && riid != IID_IUnknown) return CLASS_E_NOAGGREGATION;
    if (!(dwClsContext & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
    if (com::IsBuiltinClass(rclsid)) {
      if (pUnkOuter) return CLASS_E_NOAGGREGATION;
      return com::CreateBuiltin(rclsid, riid, ppv);
    }
    ServerList &list = servers();
    std::lock_guard<std::recursive_mutex> lock(list.mutex);
    IClassFactory *factory = nullptr;
    HRESULT hr = ServerClassObject(rclsid, IID_IClassFactory, reinterpret_cast<void **>(&factory));
    if (FAILED(hr)) return hr;
    if (!factory) return E_NOINTERFACE;
    hr = factory->CreateInstance(pUnkOuter, riid, ppv);
    factory->Release();
    if (FAILED(hr)) *ppv = nullptr;
    return hr;
  } catch (...) {
    *ppv = nullptr;
    return E_OUTOFMEMORY;
  }
}

void STDAPICALLTYPE CoFreeUnusedLibraries(void) {
  ServerList &list = servers();
  std::lock_guard<std::recursive_mutex> lock(list.mutex);
  for (size_t i = 0; i < list.servers.size();) {
    const LoadedServer server = list.servers[i];
    if (!server.canUnloadNow || server.canUnloadNow() != S_OK) {
      ++i;
      continue;
    }
    list.servers.erase(list.servers.begin() + static_cast<ptrdiff_t>(i));
    FreeLibrary(server.module);
  }
}
