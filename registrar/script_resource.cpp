// Registry scripts stored as resources of a module file.
#include <climits>
#include <new>

#include "module/failure.h"
#include "registrar/reg_object.h"
#include "registrar/script_parser.h"

namespace {

// Scripts up to this many bytes are converted without touching the heap.
constexpr DWORD kInlineUnits = 1024 / sizeof(WCHAR);

// Owns a module loaded as a data file.
class CDataModule {
 public:
  explicit CDataModule(LPCOLESTR path) : handle_(LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
  ~CDataModule() {
    if (handle_) FreeLibrary(handle_);
  }
  CDataModule(const CDataModule &) = delete;
  CDataModule &operator=(const CDataModule &) = delete;
  HMODULE get() const { return handle_; }

 private:
  HMODULE handle_;
};

// The wide-text buffer of one script: inline for short scripts, else one
// heap block freed with the object.
class CScriptText {
 public:
  CScriptText() = default;
  ~CScriptText() { delete[] heap_; }
  CScriptText(const CScriptText &) = delete;
  CScriptText &operator=(const CScriptText &) = delete;

  // Room for `units` units; null when the heap block can't be had.
  LPWSTR Reserve(DWORD units) {
    if (units <= kInlineUnits) return inline_;
    heap_ = new (std::nothrow) WCHAR[units];
    return heap_;
  }

 private:
  WCHAR inline_[kInlineUnits];
  WCHAR *heap_ = nullptr;
};

}  // namespace

HRESULT CRegObject::RegisterResource(LPCOLESTR modulePath, UINT resourceId, LPCOLESTR type) {
  return ProcessResource(modulePath, resourceId, type, true);
}

HRESULT CRegObject::UnregisterResource(LPCOLESTR modulePath, UINT resourceId, LPCOLESTR type) {
  return ProcessResource(modulePath, resourceId, type, false);
}

HRESULT CRegObject::ProcessResource(LPCOLESTR modulePath, UINT resourceId, LPCOLESTR type, bool registering) {
  CDataModule module(modulePath);
  if (!module.get()) return HresultFromFailedCall();
  HRSRC found = FindResourceW(module.get(), MAKEINTRESOURCEW(resourceId & 0xFFFF), type);
  if (!found) return HresultFromFailedCall();
  HGLOBAL loaded = LoadResource(module.get(), found);
  if (!loaded) return HresultFromFailedCall();
  const char *bytes = static_cast<const char *>(LockResource(loaded));
  DWORD size = SizeofResource(module.get(), found);
  // An empty script is left to the conversion, which refuses it.
  if (!bytes && size != 0) return HresultFromFailedCall();
  // The conversion takes an int count, and the buffer must hold one unit
  // more than the script has bytes.
  if (size > INT_MAX - 1) return E_OUTOFMEMORY;

  CScriptText text;
  LPWSTR buffer = text.Reserve(size + 1);
  if (!buffer) return E_OUTOFMEMORY;
  int units = MultiByteToWideChar(CP_THREAD_ACP, 0, bytes, static_cast<int>(size), buffer, static_cast<int>(size));
  if (units <= 0) return HresultFromFailedCall();
  buffer[units] = 0;

  CRegScriptParser parser(this);
  return parser.RunScript(buffer, registering);
}
