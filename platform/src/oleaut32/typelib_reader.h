// The binary type library format ("MSFT", version 0x00010002) read into plain
// records. The reader takes a byte buffer, so it serves files and module
// resources alike, and checks every offset and size against that buffer.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace typelib {

// A name or help text as stored: bytes in the library's ANSI code page.
struct Text {
  bool present = false;
  std::string bytes;
};

struct ImplType {
  HREFTYPE ref = 0;
  INT flags = 0;  // IMPLTYPEFLAG_*
};

// The most steps an alias's type may take; a deeper chain is refused as a loop.
constexpr size_t kMaxTypeSteps = 16;

// One step of an alias's type, outermost first: VT_PTR and VT_SAFEARRAY lead
// to the next step; VT_USERDEFINED (with `ref`), VT_CARRAY and the base types end it.
struct TypeStep {
  VARTYPE vt = VT_EMPTY;
  HREFTYPE ref = 0;
};

struct TypeRecord {
  HREFTYPE self = 0;  // the offset by which the library's references name this type
  TYPEKIND kind = TKIND_ENUM;
  GUID guid = {};
  Text name, doc;
  DWORD helpContext = 0;
  WORD flags = 0;  // TYPEFLAG_*
  WORD major = 0, minor = 0;
  WORD funcs = 0, vars = 0;
  WORD vftSlots = 0;  // virtual function table entries
  ULONG instanceSize = 0;
  WORD alignment = 0;
  std::vector<ImplType> impls;  // a class's interfaces, or an interface's base
  std::vector<TypeStep> alias;  // TKIND_ALIAS only
};

struct LibraryRecord {
  GUID guid = {};
  LCID lcid = 0;
  SYSKIND syskind = SYS_WIN32;
  WORD major = 0, minor = 0, flags = 0;
  Text name, doc, helpFile;
  DWORD helpContext = 0;
  std::vector<TypeRecord> types;
};

// Whether the buffer starts with the format's magic "MSFT".
bool IsTypeLibrary(const uint8_t *data, size_t size);

// Reads the library in `data`. Returns S_OK and fills *out; TYPE_E_CANTLOADLIBRARY
// when the buffer is not a type library at all, TYPE_E_UNSUPFORMAT for another
// version of the format, TYPE_E_INVDATAREAD when any part lies outside the
// buffer or contradicts another, E_OUTOFMEMORY.
HRESULT ReadLibrary(const uint8_t *data, size_t size, LibraryRecord *out);

}  // namespace typelib
