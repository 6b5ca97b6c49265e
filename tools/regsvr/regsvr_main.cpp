// regsvr: registers and unregisters in-process servers, as the system's
// registration tool does, or writes what registration would change as a
// regedit file (/export). See RegsvrUsage().
#include <windows.h>
#include <objbase.h>

#include <iostream>
#include <string>
#include <vector>

#include "hresult_text.h"
#include "registry_location.h"
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
  // Declared before COM starts so that the copy outlives every registry call.
  ScratchRegistry scratch;
  if (args.exportFile && !scratch.Open(registryFile, &error)) {
    std::cerr << "regsvr: " << error << "\n";
    return kExitCall;
  }
  const HRESULT init = CoInitialize(nullptr);
  if (FAILED(init)) {
    std::cerr << "regsvr: CoInitialize failed: " << tools::DescribeHresult(init) << "\n";
    return kExitCom;
  }
  const int status = args.exportFile ? ExportRegistration(args) : RegisterLibraries(args);
  CoUninitialize();
  return status;
}
