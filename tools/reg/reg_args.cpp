#include "reg_args.h"

#include <map>

#include "reg_values.h"

namespace {

struct OperationEntry {
  const char16_t *name;
  RegOperation operation;
  const char16_t *switches;  // space-separated; a trailing ':' marks a switch with an argument
  size_t positionals;        // key and file names
};

// /reg:32 and /reg:64 choose a registry view; this registry has one, so they are accepted and ignored.
const OperationEntry kOperations[] = {
    {u"QUERY", RegOperation::Query, u" V: VE S F: T: K D C E REG:32 REG:64 ", 1},
    {u"ADD", RegOperation::Add, u" V: VE T: S: D: F REG:32 REG:64 ", 1},
    {u"DELETE", RegOperation::Delete, u" V: VE VA F REG:32 REG:64 ", 1},
    {u"EXPORT", RegOperation::Export, u" Y REG:32 REG:64 ", 2},
    {u"IMPORT", RegOperation::Import, u" REG:32 REG:64 ", 1},
};

std::u16string Upper(const std::u16string &text) {
  std::u16string out;
  for (char16_t c : text) out += c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
  return out;
}

bool IsHelp(const std::u16string &arg) {
  std::u16string upper = Upper(arg);
  return upper == u"/?" || upper == u"-?" || upper == u"/H" || upper == u"-H";
}

class Failure {
 public:
  Failure(std::u16string *error, const char16_t *operation) : error_(error), operation_(operation) {}
  bool operator()(const char16_t *message) const {
    *error_ = std::u16string(u"ERROR: ") + message + u"\nType \"REG " + operation_ + (*operation_ ? u" " : u"") +
              u"/?\" for usage.\n";
    return false;
  }

 private:
  std::u16string *error_;
  const char16_t *operation_;
};

// A key as the command line names it: an optional \\machine\ prefix, then ROOT
// or ROOT\path with at most one trailing backslash. A backslash right after the
// root names no key, so HKCU\ is refused.
bool CommandLineKey(const std::u16string &text, tools::KeyName *key, std::u16string *machine) {
  std::u16string rest = text;
  if (rest.compare(0, 2, u"\\\\") == 0) {
    size_t end = rest.find(u'\\', 2);
    if (end == std::u16string::npos || end == 2) return false;
    *machine = rest.substr(2, end - 2);
    rest.erase(0, end + 1);
  }
  if (!rest.empty() && rest.back() == u'\\') {
    rest.pop_back();
    if (rest.find(u'\\') == std::u16string::npos || rest.back() == u'\\') return false;
  }
  return tools::ParseKeyName(rest, key) == tools::KeyNameError::None;
}

}  // namespace

bool ParseRegArgs(const std::vector<std::u16string> &args, RegArgs *out, std::u16string *error) {
  *out = RegArgs{};
  if (args.size() == 1 && IsHelp(args[0])) return true;
  const OperationEntry *entry = nullptr;
  for (const OperationEntry &e : kOperations)
    if (!args.empty() && Upper(args[0]) == e.name) entry = &e;
  if (!entry) return Failure(error, u"")(u"Invalid syntax.");
  Failure fail(error, entry->name);

  if (args.size() == 2 && IsHelp(args[1])) {
    out->helpFor = entry->operation;
    return true;
  }
  out->operation = entry->operation;
  std::u16string table = entry->switches;
  auto switchName = [&](const std::u16string &arg) {
    return arg.size() < 2 || (arg[0] != u'/' && arg[0] != u'-') ? std::u16string() : Upper(arg.substr(1));
  };
  auto known = [&](const std::u16string &name, bool withArgument) {
    return !name.empty() && table.find(u" " + name + (withArgument ? u": " : u" ")) != std::u16string::npos;
  };

  // The key (or the import file) comes first and the export file second, at
  // fixed places, so a file name such as /tmp/out.reg is never taken for a switch.
  if (args.size() <= entry->positionals) return fail(u"Invalid syntax.");
  std::vector<std::u16string> positionals(args.begin() + 1, args.begin() + 1 + entry->positionals);
  for (const std::u16string &word : positionals) {
    std::u16string name = switchName(word);
    if (IsHelp(word) || known(name, false) || known(name, true)) return fail(u"Invalid syntax.");
  }

  std::map<std::u16string, std::u16string> switches;  // upper-case name -> argument
  for (size_t i = 1 + entry->positionals; i < args.size(); ++i) {
    std::u16string name = switchName(args[i]);
    bool plain = known(name, false), withArgument = known(name, true);
    if ((!plain && !withArgument) || switches.count(name)) return fail(u"Invalid syntax.");
    if (withArgument && i + 1 >= args.size()) return fail(u"Invalid syntax.");
    switches[name] = withArgument ? args[++i] : std::u16string();
  }
  auto has = [&](const char16_t *name) { return switches.count(name) != 0; };
  auto get = [&](const char16_t *name) { return has(name) ? switches.at(name) : std::u16string(); };

  if (entry->operation == RegOperation::Import) {
    out->file = positionals[0];
    return true;
  }
  if (!CommandLineKey(positionals[0], &out->key, &out->machine)) return fail(u"Invalid key name.");
  if (entry->operation == RegOperation::Export) {
    // Export writes a file of the local registry only.
    if (!out->machine.empty()) return fail(u"Invalid key name.");
    out->file = positionals[1];
    out->force = has(u"Y");
    return true;
  }

  if (has(u"V") + has(u"VE") + has(u"VA") > 1) return fail(u"Invalid syntax.");
  if (has(u"V")) out->value = get(u"V");
  if (has(u"VE")) out->value = u"";
  out->allValues = has(u"VA");
  out->force = has(u"F") && entry->operation != RegOperation::Query;
  if (has(u"T")) {
    out->type = TypeFromName(get(u"T"));
    if (!out->type) return fail(u"Invalid syntax.");
  }

  switch (entry->operation) {
    case RegOperation::Query:
      out->recurse = has(u"S");
      if (has(u"F")) out->search = get(u"F");
      out->keysOnly = has(u"K");
      out->dataOnly = has(u"D");
      out->caseSensitive = has(u"C");
      out->exact = has(u"E");
      if ((out->keysOnly || out->dataOnly || out->caseSensitive || out->exact) && !out->search)
        return fail(u"Invalid syntax.");
      return true;
    case RegOperation::Add: {
      // Without /v the default value is written, even with neither /t nor /d: an empty REG_SZ.
      if (!out->value) out->value = u"";
      if (!out->type) out->type = REG_SZ;
      std::u16string separator = get(u"S");
      if (has(u"S") && separator.size() != 1) return fail(u"Invalid syntax.");
      switch (DataFromText(*out->type, has(u"D") ? std::optional(get(u"D")) : std::nullopt, separator, &out->data)) {
        case DataError::None:
          return true;
        case DataError::BadNumber:
          return fail(u"Invalid syntax. Specify valid numeric value.");
        case DataError::BadHex:
          return fail(u"Invalid syntax. Specify hexadecimal digits only.");
        case DataError::EmptyString:
          return fail(u"Invalid syntax. REG_MULTI_SZ cannot hold an empty string.");
      }
      return true;
    }
    case RegOperation::Delete:
      if (!out->value && !out->allValues && out->key.path.empty()) return fail(u"Invalid key name.");
      return true;
    default:
      return true;
  }
}
