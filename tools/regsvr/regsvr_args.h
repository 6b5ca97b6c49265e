// The regsvr command line as a plain description, and the calls it asks for.
// Parsing touches neither the registry nor any library.
#pragma once
#include <optional>
#include <string>
#include <vector>

// The library entry points regsvr calls, in the order of a plan.
enum class RegsvrCall {
  RegisterServer,    // DllRegisterServer()
  UnregisterServer,  // DllUnregisterServer()
  Install,           // DllInstall(TRUE, command line)
  Uninstall,         // DllInstall(FALSE, command line)
};

struct RegsvrArgs {
  bool help = false;        // /?: show the usage and do nothing else
  bool unregister = false;  // /u
  bool silent = false;      // /s
  bool noRegister = false;  // /n
  bool install = false;     // /i or /i:cmdline
  std::string installCommandLine;         // UTF-8; empty for a bare /i
  std::optional<std::string> exportFile;  // /export:FILE
  std::vector<std::string> libraries;     // in command-line order
};

// Parses the arguments that follow the program name (UTF-8, "--registry"
// already taken out). Switches start with '/' or '-' and compare
// case-insensitively; what follows "/i:" or "/export:" is taken as it is. A
// word starting with '/' that is no known switch but holds another '/' or a
// '.' is a library path; after "--" every word is one.
// Returns true with *out filled, or false with *error holding a one-line reason.
bool ParseRegsvrArgs(const std::vector<std::string> &args, RegsvrArgs *out, std::string *error);

// The calls made for each library, in order: DllRegisterServer; with /u
// DllUnregisterServer; with /i DllRegisterServer then DllInstall(TRUE), with
// /n only the latter; with /u /i DllInstall(FALSE) then DllUnregisterServer,
// with /n only the former.
std::vector<RegsvrCall> PlanCalls(const RegsvrArgs &args);

// The entry point's exported name, e.g. "DllInstall".
const char *CallName(RegsvrCall call);
