#include "regsvr_args.h"

namespace {

std::string Lower(const std::string &text) {
  std::string out;
  for (char c : text) out += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  return out;
}

bool StartsWith(const std::string &text, const char *prefix) { return text.rfind(prefix, 0) == 0; }

// Absolute paths start with '/' as switches do: a '/' word that is no known
// switch and holds another '/' or a '.' is a path.
bool IsSwitch(const std::string &arg, const std::string &name) {
  if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-')) return false;
  if (arg[0] == '-') return true;
  static const char *const kNames[] = {"?", "h", "u", "s", "n", "i"};
  for (const char *known : kNames)
    if (name == known) return true;
  if (StartsWith(name, "i:") || StartsWith(name, "export:")) return true;
  return arg.find_first_of("/.", 1) == std::string::npos;
}

}  // namespace

bool ParseRegsvrArgs(const std::vector<std::string> &args, RegsvrArgs *out, std::string *error) {
  *out = RegsvrArgs{};
  bool switches = true;
  for (const std::string &arg : args) {
    const std::string name = arg.empty() ? std::string() : Lower(arg.substr(1));
    if (switches && arg == "--") {
      switches = false;
      continue;
    }
    if (!switches || !IsSwitch(arg, name)) {
      out->libraries.push_back(arg);
      continue;
    }
    if (name == "?" || name == "h") {
      out->help = true;
    } else if (name == "u") {
      out->unregister = true;
    } else if (name == "s") {
      out->silent = true;
    } else if (name == "n") {
      out->noRegister = true;
    } else if (name == "i" || StartsWith(name, "i:")) {
      out->install = true;
      out->installCommandLine = name == "i" ? std::string() : arg.substr(3);
    } else if (StartsWith(name, "export:")) {
      out->exportFile = arg.substr(8);
      if (out->exportFile->empty()) {
        *error = "/export: needs a file name";
        return false;
      }
    } else {
      *error = "Unrecognized flag: " + arg;
      return false;
    }
  }
  if (out->help) return true;
  if (out->noRegister && !out->install) {
    *error = "/n is only valid together with /i";
    return false;
  }
  if (out->libraries.empty()) {
    *error = "To register a module, you must provide a binary name.";
    return false;
  }
  return true;
}

std::vector<RegsvrCall> PlanCalls(const RegsvrArgs &args) {
  if (!args.install) return {args.unregister ? RegsvrCall::UnregisterServer : RegsvrCall::RegisterServer};
  if (args.unregister) {
    if (args.noRegister) return {RegsvrCall::Uninstall};
    return {RegsvrCall::Uninstall, RegsvrCall::UnregisterServer};
  }
  if (args.noRegister) return {RegsvrCall::Install};
  return {RegsvrCall::RegisterServer, RegsvrCall::Install};
}

const char *CallName(RegsvrCall call) {
  switch (call) {
    case RegsvrCall::RegisterServer:
      return "DllRegisterServer";
    case RegsvrCall::UnregisterServer:
      return "DllUnregisterServer";
    case RegsvrCall::Install:
    case RegsvrCall::Uninstall:
      return "DllInstall";
  }
  return "";
}
