#include "shell_args.h"

#include <shobjidl.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace tools {

namespace {

struct FlagName {
  const char *name;
  uint32_t value;
};

const FlagName kFlagNames[] = {
    {"CMF_NORMAL", CMF_NORMAL},
    {"CMF_DEFAULTONLY", CMF_DEFAULTONLY},
    {"CMF_VERBSONLY", CMF_VERBSONLY},
    {"CMF_EXPLORE", CMF_EXPLORE},
    {"CMF_NOVERBS", CMF_NOVERBS},
    {"CMF_CANRENAME", CMF_CANRENAME},
    {"CMF_NODEFAULT", CMF_NODEFAULT},
    {"CMF_INCLUDESTATIC", 0x00000040},  // a name older systems' headers have
    {"CMF_ITEMMENU", CMF_ITEMMENU},
    {"CMF_EXTENDEDVERBS", CMF_EXTENDEDVERBS},
    {"CMF_DISABLEDVERBS", CMF_DISABLEDVERBS},
    {"CMF_ASYNCVERBSTATE", CMF_ASYNCVERBSTATE},
    {"CMF_OPTIMIZEFORINVOKE", CMF_OPTIMIZEFORINVOKE},
    {"CMF_SYNCCASCADEMENU", CMF_SYNCCASCADEMENU},
    {"CMF_DONOTPICKDEFAULT", CMF_DONOTPICKDEFAULT},
};

// A whole-text unsigned 32-bit number, decimal or 0x-hexadecimal.
bool ParseNumber(const std::string &text, uint32_t *out) {
  if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ') return false;
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  errno = 0;
  char *end = nullptr;
  const unsigned long long value = std::strtoull(text.c_str(), &end, hex ? 16 : 10);
  if (errno != 0 || *end != '\0' || value > 0xFFFFFFFFull) return false;
  *out = static_cast<uint32_t>(value);
  return true;
}

bool ParseFlagPart(const std::string &part, uint32_t *out) {
  if (ParseNumber(part, out)) return true;
  for (const FlagName &flag : kFlagNames) {
    if (strcasecmp(part.c_str(), flag.name) == 0 || strcasecmp(part.c_str(), flag.name + 4) == 0) {
      *out = flag.value;
      return true;
    }
  }
  return false;
}

bool TakesValue(const std::string &option) {
  return option == "--flags" || option == "--item" || option == "--id";
}

// Applies one option and its value; false with *error on a bad value.
bool ApplyOption(const std::string &option, const std::string &value, ShellArgs *out, std::string *error) {
  if (option == "--flags") {
    if (!ParseMenuFlags(value, &out->flags)) {
      *error = "invalid --flags value \"" + value + "\"";
      return false;
    }
  } else if (option == "--item") {
    out->item = value;
  } else {
    uint32_t id = 0;
    if (!ParseNumber(value, &id)) {
      *error = "invalid --id value \"" + value + "\"";
      return false;
    }
    out->id = id;
  }
  return true;
}

bool ParseCommand(const std::string &word, ShellCommand *command) {
  if (word == "menu")
    *command = ShellCommand::Menu;
  else if (word == "invoke")
    *command = ShellCommand::Invoke;
  else if (word == "why")
    *command = ShellCommand::Why;
  else
    return false;
  return true;
}

// The checks that need the whole line.
bool Validate(const ShellArgs &args, std::string *error) {
  if (args.paths.empty()) {
    *error = "no path given";
    return false;
  }
  // An empty path would stand for the current directory in every file call.
  for (const std::string &path : args.paths)
    if (path.empty()) {
      *error = "an empty path names no file or folder";
      return false;
    }
  const bool chooses = args.item || args.id;
  if (args.command != ShellCommand::Invoke && chooses) {
    *error = "--item and --id belong to the invoke command";
    return false;
  }
  if (args.command == ShellCommand::Invoke && !chooses) {
    *error = "invoke needs --item TEXT or --id N";
    return false;
  }
  if (args.item && args.id) {
    *error = "give either --item or --id, not both";
    return false;
  }
  return true;
}

}  // namespace

bool ParseMenuFlags(const std::string &text, uint32_t *out) {
  uint32_t flags = 0;
  size_t begin = 0;
  for (;;) {
    const size_t end = text.find_first_of("|,+", begin);
    const std::string part = text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
    uint32_t value = 0;
    if (!ParseFlagPart(part, &value)) return false;
    flags |= value;
    if (end == std::string::npos) break;
    begin = end + 1;
  }
  *out = flags;
  return true;
}

bool ParseShellArgs(const std::vector<std::string> &args, ShellArgs *out, std::string *error) {
  *out = ShellArgs();
  if (args.empty()) {
    *error = "no command given";
    return false;
  }
  if (args[0] == "--help" || args[0] == "-h") {
    out->help = true;
    return true;
  }
  if (!ParseCommand(args[0], &out->command)) {
    *error = "unknown command \"" + args[0] + "\"";
    return false;
  }
  bool optionsEnded = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string &arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      out->paths.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "--plain") {
      out->plain = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      out->help = true;
      continue;
    }
    const size_t equals = arg.find('=');
    const std::string option = arg.substr(0, equals);
    if (!TakesValue(option)) {
      *error = "unknown option \"" + arg + "\"";
      return false;
    }
    std::string value;
    if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      *error = option + " needs a value";
      return false;
    }
    if (!ApplyOption(option, value, out, error)) return false;
  }
  return out->help || Validate(*out, error);
}

const char *ShellUsage() {
  return "usage: shell menu PATH... [--flags FLAGS] [--registry FILE] [--plain]\n"
         "       shell invoke PATH... (--item TEXT | --id N) [--flags FLAGS] [--registry FILE]\n"
         "       shell why PATH... [--flags FLAGS] [--registry FILE]\n"
         "\n"
         "  menu    builds the context menu of the selection and shows it\n"
         "  invoke  builds the menu and invokes the item with that text or command identifier\n"
         "  why     explains why each context-menu handler of the selection shows or not\n"
         "\n"
         "  --flags FLAGS    QueryContextMenu flags: CMF_* names or numbers joined by '|'\n"
         "                   (default CMF_NORMAL)\n"
         "  --registry FILE  the registry file (else TOVIN_REGISTRY_FILE, else\n"
         "                   $XDG_STATE_HOME/tovincopyshl/registry.db)\n"
         "  --plain          plain lines: <id> TAB <text> TAB <help text> TAB <bitmap WxH or ->\n"
         "\n"
         "Exit status: 0 success, 1 failure, 2 bad command line.\n";
}

}  // namespace tools
