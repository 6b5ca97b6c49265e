// Fuzz target: the registry-script interpreter, register pass then unregister
// pass over a fresh in-memory registry. Input: see fuzz::ScriptInput.
// Checks that every run ends in S_OK or one of the interpreter's failure
// codes, and that the unregister pass only ever removes.
#include <algorithm>

#include "fuzz/fuzz_support.h"
#include "module/module_flags.h"
#include "platform_seams.h"
#include "registrar/reg_object.h"
#include "registrar/script_parser.h"

namespace {

// S_OK, the interpreter's own failures, the number conversion's, and
// registry codes carried as HRESULTs.
bool IsKnownOutcome(HRESULT hr) {
  switch (hr) {
    case S_OK:
    case DISP_E_EXCEPTION:
    case E_FAIL:
    case E_OUTOFMEMORY:
    case DISP_E_TYPEMISMATCH:
    case DISP_E_OVERFLOW:
      return true;
    default:
      return (static_cast<DWORD>(hr) & 0xFFFF0000u) == 0x80070000u;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const fuzz::ScriptInput input(data, size);
  // Each run starts from the contents of a fresh in-memory registry. A new
  // store costs more than most runs, so one is made only after a run that
  // left something behind.
  static const std::set<std::u16string> fresh = (seams::SetRegistryFile(""), fuzz::SnapshotRegistry());
  perUserRegistration = input.perUser;

  CRegObject registrar;
  FUZZ_CHECK(registrar.PutReplacement(TEXT("APPID"), TEXT("{1BC25855-267B-479B-9D7D-6AD83DCCBD30}")) == S_OK);
  FUZZ_CHECK(registrar.PutReplacement(TEXT("Module"), TEXT("/opt/tovin/libtovincopyshl.so")) == S_OK);

  {
    CRegScriptParser parser(&registrar);
    FUZZ_CHECK(IsKnownOutcome(parser.RunScript(input.text.c_str(), true)));
  }
  const std::set<std::u16string> registered = fuzz::SnapshotRegistry();
  {
    CRegScriptParser parser(&registrar);
    FUZZ_CHECK(IsKnownOutcome(parser.RunScript(input.text.c_str(), false)));
  }
  const std::set<std::u16string> remaining = fuzz::SnapshotRegistry();
  FUZZ_CHECK(std::includes(registered.begin(), registered.end(), remaining.begin(), remaining.end()));
  if (remaining != fresh) seams::SetRegistryFile("");

  perUserRegistration = false;
  return 0;
}
