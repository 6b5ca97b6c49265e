// Interface maps: the constant tables from which objects answer QueryInterface.
#pragma once
#include <objbase.h>

// Computes the answer of a handler row for `iid` into *out; `argument` is the
// row's own value.
typedef HRESULT(WINAPI *InterfaceHandler)(void *object, REFIID iid, void **out, DWORD argument);

// One row of an interface map. `iid` null makes the row apply to every request
// (a blind row). `handler` is kSimpleInterfaceRow for a row whose
// `offsetOrArgument` is the distance in bytes from the object's start to the
// interface's table pointer, a function for a handler row (then
// `offsetOrArgument` is its argument), or null to end the table.
struct InterfaceMapEntry {
  const IID *iid;
  DWORD offsetOrArgument;
  InterfaceHandler handler;
};

// The marker value 1 in the handler field.
inline InterfaceHandler SimpleInterfaceRow() {
  return reinterpret_cast<InterfaceHandler>(static_cast<ULONG_PTR>(1));
}

// Distance in bytes from the start of a Class object to its Interface part.
template <class Interface, class Class>
DWORD InterfaceOffset() {
  // Any well-aligned non-null address serves: only the adjustment matters.
  const ULONG_PTR base = 0x10000;
  return static_cast<DWORD>(
      reinterpret_cast<ULONG_PTR>(static_cast<Interface *>(reinterpret_cast<Class *>(base))) - base);
}

// Answers QueryInterface for `object` from `map`, whose first row must be a
// simple row (the object's IUnknown). On S_OK *out holds the interface with one
// reference added; otherwise *out is null (when out itself is not null).
// E_INVALIDARG for a null object or map, E_POINTER for a null out,
// E_NOINTERFACE when no row answers, or the failure of a handler row that
// names its interface.
HRESULT LookupInterface(void *object, const InterfaceMapEntry *map, REFIID iid, void **out);
