#include "oleaut32/typelib_keys.h"

#include <cstdio>

#include "core/guid_text.h"

namespace typelib {
namespace {

// The standard marshalers of automation interfaces: by type library, and for dispinterfaces.
constexpr CLSID kTypeLibraryMarshaler = {0x00020424, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr CLSID kDispatchMarshaler = {0x00020420, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

std::u16string Ascii(const char *text) {
  std::u16string out;
  for (; *text; ++text) out += char16_t(*text);
  return out;
}

}  // namespace

ClassesRoot MachineClasses() { return ClassesRoot{HKEY_CLASSES_ROOT, u""}; }
ClassesRoot UserClasses() { return ClassesRoot{HKEY_CURRENT_USER, u"Software\\Classes\\"}; }

const char16_t *PlatformName(SYSKIND syskind) {
  switch (syskind) {
    case SYS_WIN16:
      return u"win16";
    case SYS_WIN32:
      return u"win32";
    case SYS_MAC:
      return u"mac";
    case SYS_WIN64:
      return u"win64";
  }
  return nullptr;
}

std::u16string Hex(DWORD value) {
  char text[16];
  std::snprintf(text, sizeof text, "%x", unsigned(value));
  return Ascii(text);
}

std::u16string VersionText(WORD major, WORD minor) { return Hex(major) + u"." + Hex(minor); }

std::u16string VersionPath(const ClassesRoot &root, REFGUID libid, WORD major, WORD minor) {
  return root.prefix + std::u16string(u"TypeLib\\") + com::GuidText(libid) + u"\\" + VersionText(major, minor);
}

std::u16string InterfacePath(const ClassesRoot &root, REFGUID iid) {
  return root.prefix + std::u16string(u"Interface\\") + com::GuidText(iid);
}

bool IsAutomation(const TYPEATTR &attr) {
  return attr.typekind == TKIND_DISPATCH ||
         (attr.typekind == TKIND_INTERFACE && (attr.wTypeFlags & (TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION)));
}

const CLSID &ProxyStubClass(const TYPEATTR &attr) {
  return attr.typekind == TKIND_DISPATCH && !(attr.wTypeFlags & TYPEFLAG_FDUAL) ? kDispatchMarshaler
                                                                                : kTypeLibraryMarshaler;
}

}  // namespace typelib
