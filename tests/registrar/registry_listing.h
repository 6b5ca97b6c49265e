// Test helpers of the registrar: the registry listing, and running a script
// through a parser.
#pragma once
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "registrar/reg_object.h"
#include "registrar/script_parser.h"
#include "tests/support/registry_listing.h"
#include "tests/support/text.h"

namespace registrar_test {

using namespace registry_listing;

// One RunScript call with a fresh parser over `registrar` (an empty one when null).
inline HRESULT RunText(const std::u16string &script, bool registering, CRegObject *registrar = nullptr) {
  CRegObject empty;
  CRegScriptParser parser(registrar ? registrar : &empty);
  return parser.RunScript(script.c_str(), registering);
}

}  // namespace registrar_test
