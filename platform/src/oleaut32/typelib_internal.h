// What the type library services share: loading without registering, and the
// reading of a module's type library resource.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

namespace typelib {

// Loads the library of the file at `path` (UTF-8) without registering it and
// outside the test seams. *ppLib receives it with one reference, or null;
// *standAlone (optional) tells whether the file is a type library rather than
// a module. Returns the codes of LoadTypeLibEx.
HRESULT LoadPath(const std::string &path, ITypeLib **ppLib, bool *standAlone = nullptr);

// Copies the "TYPELIB" resource 1 of the module at `path` (absolute, UTF-8)
// into *bytes. Returns false when the module cannot be loaded as a data file
// or carries no such resource.
bool ModuleTypeLibResource(const std::string &path, std::vector<uint8_t> *bytes);

}  // namespace typelib
