// Registration of the type library a module carries.
#pragma once
#include <windows.h>
#include <oleauto.h>

// Loads the type library of `module`: from the module file itself, else from
// the file beside it with the extension replaced by ".tlb". On success *path
// (a BSTR, freed with SysFreeString) names the file that loaded and *library
// holds one reference; both belong to the caller. On failure both are null,
// except E_OUTOFMEMORY from the path copy, which leaves *library set for the
// caller to release. E_POINTER for a missing output; 0x8007007A for a module
// path of MAX_PATH units or more; E_FAIL when the ".tlb" name would not fit;
// else the second load's HRESULT.
HRESULT LoadModuleTypeLib(HINSTANCE module, BSTR *path, ITypeLib **library);

// Registers the module's type library under the path it loaded from, with the
// directory of its help file as help directory (none when it names no help
// file). Per user when perUserRegistration is on and the platform offers
// RegisterTypeLibForUser, machine-wide otherwise. Returns the registration's
// HRESULT, or the load's.
HRESULT RegisterModuleTypeLib(HINSTANCE module);

// Removes the registration of the module's type library, which must still be
// loadable to tell which registration it is; per user as for registration.
// Returns the removal's HRESULT, or that of the load or of GetLibAttr.
HRESULT UnregisterModuleTypeLib(HINSTANCE module);
