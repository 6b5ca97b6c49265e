// Fuzz target: script preprocessing alone. Input: see fuzz::ScriptInput.
// Checks the result contract and that, without per-user registration, a text
// with no "%" comes out unchanged.
#include <objbase.h>

#include "fuzz/fuzz_support.h"
#include "module/module_flags.h"
#include "registrar/reg_object.h"
#include "registrar/script_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const fuzz::ScriptInput input(data, size);
  perUserRegistration = input.perUser;

  CRegObject registrar;
  FUZZ_CHECK(registrar.PutReplacement(TEXT("APPID"), TEXT("{1BC25855-267B-479B-9D7D-6AD83DCCBD30}")) == S_OK);
  FUZZ_CHECK(registrar.PutReplacement(TEXT("Module"), TEXT("/opt/tovin/libtovincopyshl.so")) == S_OK);

  CRegScriptParser parser(&registrar);
  LPWSTR expanded = reinterpret_cast<LPWSTR>(1);
  const HRESULT hr = parser.ExpandScript(input.text.c_str(), &expanded);
  FUZZ_CHECK(hr == S_OK || hr == DISP_E_EXCEPTION || hr == E_FAIL || hr == E_OUTOFMEMORY);
  if (FAILED(hr)) {
    FUZZ_CHECK(expanded == nullptr);
  } else {
    FUZZ_CHECK(expanded != nullptr);
    if (!input.perUser && input.text.find(u'%') == std::u16string::npos) {
      FUZZ_CHECK(std::u16string(expanded) == input.text);
    }
    CoTaskMemFree(expanded);
  }

  perUserRegistration = false;
  return 0;
}
