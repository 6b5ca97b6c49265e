// RegisterTypeLib and RegisterTypeLibForUser: the keys of typelib_keys.h,
// written through the registry functions. Keys already there are reused and
// their values overwritten. A registration that fails part-way takes the
// version's keys away again, so that no half-registered library (a version
// without its path) stays behind where removal cannot find it.
#include <cstdio>
#include <new>
#include <string>

#include "core/guid_text.h"
#include "core/seams_internal.h"
#include "oleaut32/typelib_keys.h"

namespace typelib {
namespace {

class Writer {
 public:
  explicit Writer(const ClassesRoot &root) : root_(root) {}

  // Creates root\path and, when `text` is given, sets its value `name`.
  // Returns false on any registry failure.
  bool Put(const std::u16string &path, const char16_t *name, const std::u16string *text) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root_.key, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
      return false;
    LSTATUS status = ERROR_SUCCESS;
    if (text)
      status = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text->c_str()),
                              DWORD((text->size() + 1) * sizeof(char16_t)));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
  }
  bool Put(const std::u16string &path, const std::u16string &text) { return Put(path, nullptr, &text); }

 private:
  const ClassesRoot root_;
};

std::u16string Folder(const char16_t *path) {
  std::u16string text(path);
  size_t slash = text.find_last_of(u"\\/");
  return slash == std::u16string::npos ? std::u16string() : text.substr(0, slash);
}

std::u16string Text(BSTR text) { return text ? std::u16string(text, SysStringLen(text)) : std::u16string(); }

// The Interface keys of one type, when it is an automation interface.
HRESULT RegisterInterface(Writer &writer, const ClassesRoot &root, ITypeInfo *type, const TLIBATTR &lib) {
  TYPEATTR *attr = nullptr;
  HRESULT hr = type->GetTypeAttr(&attr);
  if (FAILED(hr)) return hr;
  const bool automation = IsAutomation(*attr);
  const IID iid = attr->guid;
  const std::u16string proxy = com::GuidText(ProxyStubClass(*attr));
  type->ReleaseTypeAttr(attr);
  if (!automation) return S_OK;
  BSTR name = nullptr;
  hr = type->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
  if (FAILED(hr)) return hr;
  const std::u16string path = InterfacePath(root, iid);
  const std::u16string version = VersionText(lib.wMajorVerNum, lib.wMinorVerNum);
  const bool written = writer.Put(path, Text(name)) && writer.Put(path + u"\\ProxyStubClsid", proxy) &&
                       writer.Put(path + u"\\ProxyStubClsid32", proxy) &&
                       writer.Put(path + u"\\TypeLib", com::GuidText(lib.guid)) &&
                       writer.Put(path + u"\\TypeLib", u"Version", &version);
  SysFreeString(name);
  return written ? S_OK : TYPE_E_REGISTRYACCESS;
}

HRESULT Register(const ClassesRoot &root, ITypeLib *lib, LPCOLESTR fullPath, LPCOLESTR helpDir) {
  if (!lib || !fullPath) return E_INVALIDARG;
  TLIBATTR *attr = nullptr;
  HRESULT hr = lib->GetLibAttr(&attr);
  if (FAILED(hr)) return hr;
  const TLIBATTR libAttr = *attr;
  lib->ReleaseTLibAttr(attr);
  const char16_t *platform = PlatformName(libAttr.syskind);
  if (!platform) return E_INVALIDARG;
  BSTR doc = nullptr;
  hr = lib->GetDocumentation(-1, nullptr, &doc, nullptr, nullptr);
  if (FAILED(hr)) return hr;
  const std::u16string docText = Text(doc);
  const bool hasDoc = doc != nullptr;
  SysFreeString(doc);

  Writer writer(root);
  const std::u16string version = VersionPath(root, libAttr.guid, libAttr.wMajorVerNum, libAttr.wMinorVerNum);
  char flags[16];
  // FLAGS records the library's own flags, not whether it was read from a file.
  std::snprintf(flags, sizeof flags, "%u", unsigned(libAttr.wLibFlags & ~LIBFLAG_FHASDISKIMAGE));
  // Without a help folder the library's own folder is recorded, where a help
  // file named without a folder is looked for.
  const std::u16string help = helpDir ? std::u16string(helpDir) : Folder(fullPath);
  if (!writer.Put(version, nullptr, hasDoc ? &docText : nullptr) ||
      !writer.Put(version + u"\\" + Hex(libAttr.lcid) + u"\\" + platform, std::u16string(fullPath)) ||
      !writer.Put(version + u"\\FLAGS", std::u16string(flags, flags + std::char_traits<char>::length(flags))) ||
      !writer.Put(version + u"\\HELPDIR", help))
    hr = TYPE_E_REGISTRYACCESS;

  for (UINT i = 0, count = lib->GetTypeInfoCount(); i < count && SUCCEEDED(hr); ++i) {
    ITypeInfo *type = nullptr;
    hr = lib->GetTypeInfo(i, &type);
    if (FAILED(hr)) break;
    hr = RegisterInterface(writer, root, type, libAttr);
    type->Release();
  }
  if (FAILED(hr))
    RemoveVersionKeys(root, libAttr.guid, libAttr.wMajorVerNum, libAttr.wMinorVerNum, libAttr.lcid, platform);
  return hr;
}

// Whether the test seams fail the call; *code then holds the fault's code.
bool Faulted(seams::Operation operation, LPCOLESTR fullPath, LPCOLESTR helpDir, HRESULT *code) {
  uint32_t fault = 0;
  std::string help = helpDir ? "\"" + seams::Utf8(helpDir) + "\"" : "(null)";
  if (!seams::Enter(operation, seams::Utf8(fullPath), "helpdir=" + help, &fault)) return false;
  *code = HRESULT(fault);
  return true;
}

HRESULT Guarded(const ClassesRoot &root, ITypeLib *lib, LPCOLESTR fullPath, LPCOLESTR helpDir) {
  try {
    return Register(root, lib, fullPath, helpDir);
  } catch (const std::bad_alloc &) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace
}  // namespace typelib

HRESULT STDAPICALLTYPE RegisterTypeLib(ITypeLib *ptlib, LPCOLESTR szFullPath, LPCOLESTR szHelpDir) {
  HRESULT fault;
  if (typelib::Faulted("RegisterTypeLib", szFullPath, szHelpDir, &fault)) return fault;
  return typelib::Guarded(typelib::MachineClasses(), ptlib, szFullPath, szHelpDir);
}

HRESULT STDAPICALLTYPE RegisterTypeLibForUser(ITypeLib *ptlib, OLECHAR *szFullPath, OLECHAR *szHelpDir) {
  HRESULT fault;
  if (typelib::Faulted("RegisterTypeLibForUser", szFullPath, szHelpDir, &fault)) return fault;
  return typelib::Guarded(typelib::UserClasses(), ptlib, szFullPath, szHelpDir);
}
