#include "regsvr_messages.h"

#include <cstdio>

#include "hresult_text.h"

namespace {

std::string Hex(unsigned long code) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08lx", code);
  return hex;
}

std::string Quoted(const std::string &library) { return "\"" + library + "\""; }

}  // namespace

std::string RegsvrUsage() {
  return "Usage: regsvr [/u] [/s] [/n] [/i[:cmdline]] [--registry FILE] library...\n"
         "       regsvr /export:FILE [/u] [/n] [/i[:cmdline]] [--registry FILE] library...\n"
         "/u - Unregister server\n"
         "/s - Silent; print nothing on success\n"
         "/i - Call DllInstall passing it an optional [cmdline]; when it is used with /u, it calls dll uninstall\n"
         "/n - do not call DllRegisterServer; this option must be used with /i\n"
         "/export:FILE - register (or with /u unregister) in a scratch copy of the registry and write\n"
         "               what that changed to FILE as a regedit file; the registry itself stays as it is\n"
         "--registry FILE - the registry database file to use\n";
}

std::string SucceededMessage(const std::string &library, const std::vector<RegsvrCall> &plan) {
  std::string names;
  for (RegsvrCall call : plan) names += (names.empty() ? "" : " and ") + std::string(CallName(call));
  return names + " in " + library + " succeeded.";
}

std::string LoadFailedMessage(const std::string &library, DWORD error) {
  std::string message = "The module " + Quoted(library) +
                        " failed to load.\n\nMake sure the binary is stored at the specified path or debug it to "
                        "check for problems with the binary or dependent .DLL files.\n\n";
  const char *text = tools::KnownWin32ErrorText(error);
  return message + (text ? text : "Error " + std::to_string(error) + ".");
}

std::string EntryMissingMessage(const std::string &library, const char *entry) {
  return "The module " + Quoted(library) + " was loaded but the entry-point " + entry +
         " was not found.\n\nMake sure that " + Quoted(library) + " is a valid DLL or OCX file and then try again.";
}

std::string CallFailedMessage(const std::string &library, const char *entry, HRESULT hr) {
  std::string message = "The module " + Quoted(library) + " was loaded but the call to " + entry +
                        " failed with error code " + Hex(static_cast<unsigned long>(static_cast<uint32_t>(hr))) +
                        ".\n\nFor more information about this problem, search online using the error code as the "
                        "search term.";
  const char *text = tools::KnownHresultText(hr);
  return text ? message + "\n\n" + text : message;
}
