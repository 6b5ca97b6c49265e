// Loading libraries and calling their registration entry points.
#pragma once
#include <string>
#include <vector>

#include "regsvr_args.h"

struct LibraryOutcome {
  int exit = 0;         // a RegsvrExit code
  std::string message;  // what to tell: the success line or the failure's message
};

// Loads `library` with LoadLibraryW (its DllMain runs), looks up every entry
// point `plan` needs, then makes the calls in order until one fails, passing
// `installCommandLine` (UTF-8) to DllInstall, and frees the library. Expects
// COM to be initialised on this thread.
LibraryOutcome RegisterLibrary(const std::string &library, const std::vector<RegsvrCall> &plan,
                               const std::string &installCommandLine);

// Handles args.libraries in turn, stopping at the first failure: failures go
// to standard error, success lines to standard output unless args.silent.
// Returns the first failure's exit code, or kExitOk.
int RegisterLibraries(const RegsvrArgs &args);
