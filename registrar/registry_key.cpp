#include "registrar/registry_key.h"

namespace {

constexpr REGSAM kViewMask = KEY_WOW64_32KEY | KEY_WOW64_64KEY;
constexpr DWORD kSubtreeNameUnits = 256;

typedef LSTATUS(WINAPI *DeleteKeyExFunction)(HKEY key, LPCWSTR subkey, REGSAM access, DWORD reserved);

DeleteKeyExFunction LookUpDeleteKeyEx() {
  // GetModuleHandleW does not load the module: only one already present is used.
  HMODULE advapi = GetModuleHandleW(TEXT("Advapi32.dll"));
  if (!advapi) return nullptr;
  FARPROC entry = GetProcAddress(advapi, "RegDeleteKeyExW");
  // Through the generic function type, which converts to any other without warnings.
  return reinterpret_cast<DeleteKeyExFunction>(reinterpret_cast<void (*)()>(entry));
}

// Looked up once per process; the first callers, on any threads, wait for one lookup.
DeleteKeyExFunction FindDeleteKeyEx() {
  static const DeleteKeyExFunction deleteKeyEx = LookUpDeleteKeyEx();
  return deleteKeyEx;
}

DWORD UnitsWithTerminator(LPCWSTR text) {
  DWORD units = 0;
  while (text[units] != 0) ++units;
  return units + 1;
}

}  // namespace

CRegistryKey::~CRegistryKey() { Close(); }

CRegistryKey::CRegistryKey(CRegistryKey &&other) noexcept : handle(other.handle), viewBits(other.viewBits) {
  other.handle = nullptr;
  other.viewBits = 0;
}

CRegistryKey &CRegistryKey::operator=(CRegistryKey &&other) noexcept {
  if (this != &other) {
    Close();
    handle = other.handle;
    viewBits = other.viewBits;
    other.handle = nullptr;
    other.viewBits = 0;
  }
  return *this;
}

LONG CRegistryKey::Open(HKEY parent, LPCWSTR name, REGSAM access) {
  HKEY opened = nullptr;
  LONG code = RegOpenKeyExW(parent, name, 0, access, &opened);
  if (code != ERROR_SUCCESS) return code;
  LONG closed = Close();
  handle = opened;
  viewBits = access & kViewMask;
  return closed;
}

LONG CRegistryKey::Create(HKEY parent, LPCWSTR name) {
  constexpr REGSAM access = KEY_READ | KEY_WRITE;
  HKEY created = nullptr;
  DWORD disposition = 0;
  LONG code = RegCreateKeyExW(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &created,
                              &disposition);
  if (code != ERROR_SUCCESS) return code;
  LONG closed = Close();
  handle = created;
  viewBits = access & kViewMask;
  return closed;
}

LONG CRegistryKey::Close() {
  LONG code = ERROR_SUCCESS;
  if (handle) {
    code = RegCloseKey(handle);
    handle = nullptr;
  }
  viewBits = 0;
  return code;
}

void CRegistryKey::Attach(HKEY key) {
  handle = key;
  viewBits = 0;
}

HKEY CRegistryKey::Detach() {
  HKEY key = handle;
  handle = nullptr;
  viewBits = 0;
  return key;
}

LONG CRegistryKey::WriteDword(LPCWSTR name, DWORD value) {
  return RegSetValueExW(handle, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value);
}

LONG CRegistryKey::WriteString(LPCWSTR name, LPCWSTR text, DWORD type) {
  if (!text) return ERROR_INVALID_DATA;
  return RegSetValueExW(handle, name, 0, type, reinterpret_cast<const BYTE *>(text),
                        UnitsWithTerminator(text) * sizeof(WCHAR));
}

LONG CRegistryKey::WriteMultiString(LPCWSTR name, LPCWSTR multi) {
  if (!multi) return ERROR_INVALID_DATA;
  DWORD units = 0;
  while (multi[units] != 0) units += UnitsWithTerminator(multi + units);
  ++units;  // the end mark
  return RegSetValueExW(handle, name, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE *>(multi),
                        units * sizeof(WCHAR));
}

LONG CRegistryKey::WriteBinary(LPCWSTR name, const BYTE *bytes, DWORD count) {
  return RegSetValueExW(handle, name, 0, REG_BINARY, bytes, count);
}

LONG CRegistryKey::RemoveValue(LPCWSTR name) { return RegDeleteValueW(handle, name); }

LONG CRegistryKey::RemoveSubkey(LPCWSTR name) {
  DeleteKeyExFunction viewAwareDelete = FindDeleteKeyEx();
  if (viewAwareDelete) return viewAwareDelete(handle, name, viewBits, 0);
  return RegDeleteKeyW(handle, name);
}

LONG CRegistryKey::RemoveSubtree(LPCWSTR name) {
  CRegistryKey child;
  LONG code = child.Open(handle, name, KEY_READ | KEY_WRITE | viewBits);
  if (code != ERROR_SUCCESS) return code;
  WCHAR childName[kSubtreeNameUnits];
  for (;;) {
    DWORD childNameUnits = kSubtreeNameUnits;
    FILETIME written;
    // Index 0 every time: each pass deletes the key that stood there.
    if (RegEnumKeyExW(child.handle, 0, childName, &childNameUnits, nullptr, nullptr, nullptr, &written) !=
        ERROR_SUCCESS)
      break;
    code = child.RemoveSubtree(childName);
    if (code != ERROR_SUCCESS) return code;
  }
  child.Close();
  return RemoveSubkey(name);
}
