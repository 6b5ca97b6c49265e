// UnRegisterTypeLib and UnRegisterTypeLibForUser: remove what registration
// wrote (typelib_keys.h) for one version, locale and platform. The Interface
// keys are found by loading the library from its registered path; only those
// whose TypeLib key names this library go. The keys above the platform key
// go when nothing else is left in them.
#include <cstdio>
#include <new>
#include <string>

#include "core/guid_text.h"
#include "core/seams_internal.h"
#include "core/utf.h"
#include "oleaut32/typelib_internal.h"
#include "oleaut32/typelib_keys.h"

namespace typelib {
namespace {

class Remover {
 public:
  explicit Remover(const ClassesRoot &root) : root_(root) {}

  // The text value `name` of root\path: ERROR_SUCCESS, ERROR_FILE_NOT_FOUND
  // when the key or value is absent, or the failure.
  LSTATUS Read(const std::u16string &path, const char16_t *name, std::u16string *text) const {
    DWORD size = 0;
    LSTATUS status = RegGetValueW(root_.key, path.c_str(), name, RRF_RT_REG_SZ, nullptr, nullptr, &size);
    if (status != ERROR_SUCCESS) return status;
    std::u16string buffer(size / sizeof(char16_t) + 1, u'\0');
    size = DWORD(buffer.size() * sizeof(char16_t));
    status = RegGetValueW(root_.key, path.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer.data(), &size);
    if (status != ERROR_SUCCESS) return status;
    buffer.resize(std::char_traits<char16_t>::length(buffer.c_str()));
    *text = buffer;
    return ERROR_SUCCESS;
  }

  // Counts of subkeys and values: ERROR_SUCCESS, ERROR_FILE_NOT_FOUND for an
  // absent key, or the failure.
  LSTATUS Count(const std::u16string &path, DWORD *subkeys, DWORD *values) const {
    HKEY key = nullptr;
    LSTATUS status = RegOpenKeyExW(root_.key, path.c_str(), 0, KEY_READ, &key);
    if (status != ERROR_SUCCESS) return status;
    status = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, subkeys, nullptr, nullptr, values, nullptr, nullptr,
                              nullptr, nullptr);
    RegCloseKey(key);
    return status;
  }

  // A key that is already gone counts as removed.
  bool Delete(const std::u16string &path, bool tree = false) const {
    LSTATUS status = tree ? RegDeleteTreeW(root_.key, path.c_str()) : RegDeleteKeyW(root_.key, path.c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
  }

  // An absent key counts as removed; a key that cannot be inspected does not.
  bool DeleteIfEmpty(const std::u16string &path) const {
    DWORD subkeys = 0, values = 0;
    LSTATUS status = Count(path, &subkeys, &values);
    if (status != ERROR_SUCCESS) return status == ERROR_FILE_NOT_FOUND;
    return subkeys || values || Delete(path);
  }

  // Whether the version key holds a locale other than the one being removed
  // (anything but FLAGS and HELPDIR); ERROR_SUCCESS also for an absent key.
  LSTATUS HasOtherLocale(const std::u16string &version, bool *other) const {
    *other = false;
    HKEY key = nullptr;
    LSTATUS status = RegOpenKeyExW(root_.key, version.c_str(), 0, KEY_READ, &key);
    if (status != ERROR_SUCCESS) return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
    char16_t name[256];
    DWORD i = 0, size = 256;
    for (; (status = RegEnumKeyExW(key, i, name, &size, nullptr, nullptr, nullptr, nullptr)) == ERROR_SUCCESS;
         ++i, size = 256)
      if (lstrcmpiW(name, u"FLAGS") != 0 && lstrcmpiW(name, u"HELPDIR") != 0) *other = true;
    RegCloseKey(key);
    return status == ERROR_NO_MORE_ITEMS ? ERROR_SUCCESS : status;
  }

 private:
  const ClassesRoot root_;
};

// Removes the Interface keys of the library at `path` that name `libid`.
// A library that no longer loads leaves its Interface keys.
HRESULT RemoveInterfaces(const Remover &remover, const ClassesRoot &root, const std::u16string &path, REFGUID libid) {
  std::string utf8;
  ITypeLib *lib = nullptr;
  if (!platform_utf::ToUtf8(path, &utf8) || FAILED(LoadPath(utf8, &lib))) return S_OK;
  HRESULT hr = S_OK;
  for (UINT i = 0, count = lib->GetTypeInfoCount(); i < count && SUCCEEDED(hr); ++i) {
    ITypeInfo *type = nullptr;
    TYPEATTR *attr = nullptr;
    if (FAILED(lib->GetTypeInfo(i, &type))) continue;
    if (SUCCEEDED(type->GetTypeAttr(&attr))) {
      const std::u16string key = InterfacePath(root, attr->guid);
      std::u16string owner;
      GUID ownerId;
      LSTATUS status = IsAutomation(*attr) ? remover.Read(key + u"\\TypeLib", nullptr, &owner) : ERROR_FILE_NOT_FOUND;
      if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) hr = TYPE_E_REGISTRYACCESS;
      if (status == ERROR_SUCCESS && com::ParseGuid(owner.c_str(), &ownerId) && ownerId == libid &&
          !remover.Delete(key, true))
        hr = TYPE_E_REGISTRYACCESS;
      type->ReleaseTypeAttr(attr);
    }
    type->Release();
  }
  lib->Release();
  return hr;
}

HRESULT Unregister(const ClassesRoot &root, REFGUID libid, WORD major, WORD minor, LCID lcid, SYSKIND syskind) {
  const char16_t *platform = PlatformName(syskind);
  if (!platform) return E_INVALIDARG;
  Remover remover(root);
  const std::u16string platformKey = VersionPath(root, libid, major, minor) + u"\\" + Hex(lcid) + u"\\" + platform;
  std::u16string path;
  if (remover.Read(platformKey, nullptr, &path) != ERROR_SUCCESS) return TYPE_E_REGISTRYACCESS;

  HRESULT hr = RemoveInterfaces(remover, root, path, libid);
  if (FAILED(hr)) return hr;
  return RemoveVersionKeys(root, libid, major, minor, lcid, platform);
}

}  // namespace

HRESULT RemoveVersionKeys(const ClassesRoot &root, REFGUID libid, WORD major, WORD minor, LCID lcid,
                          const char16_t *platform) {
  Remover remover(root);
  const std::u16string version = VersionPath(root, libid, major, minor);
  const std::u16string locale = version + u"\\" + Hex(lcid);
  if (!remover.Delete(locale + u"\\" + platform) || !remover.DeleteIfEmpty(locale)) return TYPE_E_REGISTRYACCESS;

  // The version goes when no other locale is registered under it.
  bool otherLocale = false;
  if (remover.HasOtherLocale(version, &otherLocale) != ERROR_SUCCESS) return TYPE_E_REGISTRYACCESS;
  if (!otherLocale &&
      (!remover.Delete(version + u"\\FLAGS") || !remover.Delete(version + u"\\HELPDIR") || !remover.Delete(version)))
    return TYPE_E_REGISTRYACCESS;
  const std::u16string library = root.prefix + std::u16string(u"TypeLib\\") + com::GuidText(libid);
  return remover.DeleteIfEmpty(library) ? S_OK : TYPE_E_REGISTRYACCESS;
}

namespace {

// Whether the test seams fail the call; *code then holds the fault's code.
bool Faulted(seams::Operation operation, REFGUID libid, WORD major, WORD minor, LCID lcid, SYSKIND syskind,
             HRESULT *code) {
  char args[80];
  std::snprintf(args, sizeof args, "version=%x.%x lcid=0x%08X syskind=%d", unsigned(major), unsigned(minor),
                unsigned(lcid), int(syskind));
  uint32_t fault = 0;
  if (!seams::Enter(operation, com::GuidText8(libid), args, &fault)) return false;
  *code = HRESULT(fault);
  return true;
}

HRESULT Guarded(const ClassesRoot &root, REFGUID libid, WORD major, WORD minor, LCID lcid, SYSKIND syskind) {
  try {
    return Unregister(root, libid, major, minor, lcid, syskind);
  } catch (const std::bad_alloc &) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace
}  // namespace typelib

HRESULT STDAPICALLTYPE UnRegisterTypeLib(REFGUID libID, WORD wVerMajor, WORD wVerMinor, LCID lcid, SYSKIND syskind) {
  HRESULT fault;
  if (typelib::Faulted("UnRegisterTypeLib", libID, wVerMajor, wVerMinor, lcid, syskind, &fault)) return fault;
  return typelib::Guarded(typelib::MachineClasses(), libID, wVerMajor, wVerMinor, lcid, syskind);
}

HRESULT STDAPICALLTYPE UnRegisterTypeLibForUser(REFGUID libID, WORD wMajorVerNum, WORD wMinorVerNum, LCID lcid,
                                                SYSKIND syskind) {
  HRESULT fault;
  if (typelib::Faulted("UnRegisterTypeLibForUser", libID, wMajorVerNum, wMinorVerNum, lcid, syskind, &fault))
    return fault;
  return typelib::Guarded(typelib::UserClasses(), libID, wMajorVerNum, wMinorVerNum, lcid, syskind);
}
