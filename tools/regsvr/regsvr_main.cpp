// regsvr: registers and unregisters in-process servers, as the system's
// registration tool does, or writes what registration would change as a
// regedit file (/export). See RegsvrUsage().
#include <windows.h>
#include <objbase.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "child_process.h"
#include "hresult_text.h"
#include "registry_location.h"
#include "registry_open.h"
#include "regsvr_args.h"
#include "regsvr_export.h"
#include "regsvr_messages.h"
#include "regsvr_run.h"
#include "scratch_registry.h"

int main(int argc, char **argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  std::string registryFile, error;
  // Before any registry call: the substitute opens the file it names on first use.
  if (!tools::ChooseRegistryFile(&arguments, &registryFile, &error)) {
    std::cerr << "regsvr: " << error << "\n";
    return kExitArgs;
  }
  RegsvrArgs args;
  if (!ParseRegsvrArgs(arguments, &args, &error)) {
    std::cerr << "regsvr: " << error << "\n\n" << RegsvrUsage();
    return kExitArgs;
  }
  if (args.help) {
    std::cout << RegsvrUsage();
    return kExitOk;
  }
  // A registry file that cannot take the registration is reported by name first.
  if (!args.exportFile && !tools::OpenRegistryFile(registryFile, tools::RegistryUse::Write, &error)) {
    std::cerr << "regsvr: " << error << "\n";
    return kExitCall;
  }
  const auto calls = [&args] {
    const HRESULT init = CoInitialize(nullptr);
    if (FAILED(init)) {
      std::cerr << "regsvr: CoInitialize failed: " << tools::DescribeHresult(init) << "\n";
      return static_cast<int>(kExitCom);
    }
    const int status = args.exportFile ? ExportRegistration(args) : RegisterLibraries(args);
    CoUninitialize();
    return status;
  };
  if (!args.exportFile) return calls();
  // The library runs against the copy in a child process, so that should it
  // crash, this process still removes the copy.
  ScratchRegistry scratch;
  if (!scratch.Open(registryFile, &error)) {
    std::cerr << "regsvr: " << error << "\n";
    return kExitCall;
  }
  const ChildEnd end = RunInChild(calls);
  if (!end.started) {
    std::cerr << "regsvr: cannot start a process for the calls: " << std::strerror(errno) << "\n";
    return kExitCall;
  }
  if (end.signal) {
    std::cerr << "regsvr: the calls ended with signal " << end.signal << " (" << strsignal(end.signal)
              << "); nothing was exported\n";
    return kExitCall;
  }
  return end.exit;
}
