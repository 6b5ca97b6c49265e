// The registry keys of type library registration, shared by registering and
// unregistering. Under the classes root (HKEY_CLASSES_ROOT for the machine,
// HKEY_CURRENT_USER\Software\Classes for one user):
//   TypeLib\{libid}\<major>.<minor>              = help string      (version in hex)
//     <lcid>\<win16|win32|mac|win64>             = full path        (lcid in hex)
//     FLAGS                                      = flags            (decimal)
//     HELPDIR                                    = help folder
//   Interface\{iid}                              = name             (automation interfaces)
//     ProxyStubClsid, ProxyStubClsid32           = {00020424-...} or {00020420-...}
//     TypeLib                                    = {libid}, value "Version" = <major>.<minor>
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <string>

namespace typelib {

struct ClassesRoot {
  HKEY key;
  const char16_t *prefix;  // ends in "\" when not empty
};
ClassesRoot MachineClasses();
ClassesRoot UserClasses();

// The platform subkey name of a system kind, or null for an unknown one.
const char16_t *PlatformName(SYSKIND syskind);

// "TypeLib\{libid}\<major>.<minor>" below the classes root.
std::u16string VersionPath(const ClassesRoot &root, REFGUID libid, WORD major, WORD minor);
// "Interface\{iid}" below the classes root.
std::u16string InterfacePath(const ClassesRoot &root, REFGUID iid);
// "<major>.<minor>" and the lcid, in hexadecimal.
std::u16string VersionText(WORD major, WORD minor);
std::u16string Hex(DWORD value);

// Removes the platform key of one version and locale, the locale key when
// left empty, the version's FLAGS, HELPDIR and own key when no other locale
// is under it, and the library's key when left empty. Keys already gone
// count as removed. S_OK, or TYPE_E_REGISTRYACCESS at the first key that
// cannot be inspected or deleted.
HRESULT RemoveVersionKeys(const ClassesRoot &root, REFGUID libid, WORD major, WORD minor, LCID lcid,
                          const char16_t *platform);

// Whether the type is registered as an automation interface, and its proxy/stub class.
bool IsAutomation(const TYPEATTR &attr);
const CLSID &ProxyStubClass(const TYPEATTR &attr);

}  // namespace typelib
