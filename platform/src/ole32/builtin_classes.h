// The classes the COM substitute provides itself, without registration.
#pragma once
#include <windows.h>
#include <objbase.h>

namespace com {

// Whether the class is built in.
bool IsBuiltinClass(REFCLSID clsid);

// Creates (or, for the global interface table, hands out the process-wide
// instance of) a built-in class and asks it for `iid`. *ppv receives the
// interface with one reference, or null. Returns S_OK, E_NOINTERFACE,
// E_OUTOFMEMORY, or CLASS_E_CLASSNOTAVAILABLE for a class that is not built in.
HRESULT CreateBuiltin(REFCLSID clsid, REFIID iid, void **ppv);

// The class object (an IClassFactory) of a built-in class, asked for `iid`.
HRESULT BuiltinClassObject(REFCLSID clsid, REFIID iid, void **ppv);

// The process-wide global interface table (never destroyed).
IUnknown *GlobalInterfaceTable();
// A new component categories manager with one reference, or null without memory.
IUnknown *NewCategoriesManager();

}  // namespace com
