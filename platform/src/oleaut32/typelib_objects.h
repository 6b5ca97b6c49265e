// The ITypeLib and ITypeInfo objects over a library read from its binary form.
#pragma once
#include "oleaut32/typelib_reader.h"

namespace typelib {

// A new library object over `record` (taken over), with one reference, in
// *out (null on failure). Names and help texts are converted from the ANSI
// code page. Returns S_OK, E_OUTOFMEMORY, or the conversion's failure.
//
// Its type infos are created with it and share its lifetime: a type info
// holds a reference on the library while it has references itself. Member
// descriptions, name lookup, type comparison and invocation are not read
// (E_NOTIMPL); ITypeInfo::GetRefTypeInfo resolves types of the same library
// only. An alias to a C array reports VT_CARRAY without an array description.
HRESULT NewTypeLib(LibraryRecord &&record, ITypeLib **out);

}  // namespace typelib
