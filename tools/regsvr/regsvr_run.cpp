#include "regsvr_run.h"

#include <windows.h>

#include <iostream>

#include "regsvr_messages.h"
#include "wide_text.h"

namespace {

using ServerFunction = HRESULT(STDAPICALLTYPE *)();
using InstallFunction = HRESULT(STDAPICALLTYPE *)(BOOL, LPCWSTR);

// Frees its library on destruction.
class LoadedLibrary {
 public:
  explicit LoadedLibrary(const std::u16string &path) : module_(LoadLibraryW(path.c_str())) {}
  ~LoadedLibrary() {
    if (module_) FreeLibrary(module_);
  }
  LoadedLibrary(const LoadedLibrary &) = delete;
  LoadedLibrary &operator=(const LoadedLibrary &) = delete;
  HMODULE get() const { return module_; }

 private:
  HMODULE module_;
};

}  // namespace

LibraryOutcome RegisterLibrary(const std::string &library, const std::vector<RegsvrCall> &plan,
                               const std::string &installCommandLine) {
  LoadedLibrary module(tools::Widen(library));
  if (!module.get()) return {kExitLoad, LoadFailedMessage(library, GetLastError())};
  // Every entry point is found before the first call, so that a missing one
  // leaves the registry as it was.
  std::vector<void (*)()> entries;
  for (RegsvrCall call : plan) {
    auto entry = reinterpret_cast<void (*)()>(GetProcAddress(module.get(), CallName(call)));
    if (!entry) return {kExitEntry, EntryMissingMessage(library, CallName(call))};
    entries.push_back(entry);
  }
  const std::u16string commandLine = tools::Widen(installCommandLine);
  for (size_t i = 0; i < plan.size(); ++i) {
    HRESULT hr = E_UNEXPECTED;
    switch (plan[i]) {
      case RegsvrCall::RegisterServer:
      case RegsvrCall::UnregisterServer:
        hr = reinterpret_cast<ServerFunction>(entries[i])();
        break;
      case RegsvrCall::Install:
      case RegsvrCall::Uninstall:
        hr = reinterpret_cast<InstallFunction>(entries[i])(plan[i] == RegsvrCall::Install, commandLine.c_str());
        break;
    }
    if (FAILED(hr)) return {kExitCall, CallFailedMessage(library, CallName(plan[i]), hr)};
  }
  return {kExitOk, SucceededMessage(library, plan)};
}

int RegisterLibraries(const RegsvrArgs &args) {
  const std::vector<RegsvrCall> plan = PlanCalls(args);
  for (const std::string &library : args.libraries) {
    LibraryOutcome outcome = RegisterLibrary(library, plan, args.installCommandLine);
    if (outcome.exit != kExitOk) {
      std::cerr << outcome.message << "\n";
      return outcome.exit;
    }
    if (!args.silent) std::cout << outcome.message << "\n";
  }
  return kExitOk;
}
