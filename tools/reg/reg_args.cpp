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

bool IsHelp(const std::u16string &arg) { return arg == u"/?" || arg == u"-?"; }

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

}  // namespace

bool ParseRegArgs(const std::vector<std::u16string> &args, RegArgs *out, std::u16string *error) {
  *out = RegArgs{};
  if (!args.empty() && IsHelp(args[0]) && args.size() == 1) return true;
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

  std::map<std::u16string, std::u16string> switches;  // upper-case name -> argument
  std::vector<std::u16string> positionals;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::u16string &arg = args[i];
    if (arg.size() < 2 || (arg[0] != u'/' && arg[0] != u'-')) {
      positionals.push_back(arg);
      continue;
    }
    std::u16string name = Upper(arg.substr(1));
    std::u16string table = entry->switches;
    bool plain = table.find(u" " + name + u" ") != std::u16string::npos;
    bool withArgument = table.find(u" " + name + u": ") != std::u16string::npos;
    // An absolute path such as /tmp/out.reg starts like a switch; no switch
    // holds a second slash or a dot, so such a word is a file name.
    if (!plain && !withArgument && arg[0] == u'/' && name.find_first_of(u"/.") != std::u16string::npos) {
      positionals.push_back(arg);
      continue;
    }
    if ((!plain && !withArgument) || switches.count(name)) return fail(u"Invalid syntax.");
    if (withArgument && i + 1 >= args.size()) return fail(u"Invalid syntax.");
    switches[name] = withArgument ? args[++i] : std::u16string();
  }
  if (positionals.size() != entry->positionals) return fail(u"Invalid syntax.");
  auto has = [&](const char16_t *name) { return switches.count(name) != 0; };
  auto get = [&](const char16_t *name) { return has(name) ? switches.at(name) : std::u16string(); };

  if (entry->operation == RegOperation::Import) {
    out->file = positionals[0];
    return true;
  }
  if (tools::ParseKeyName(positionals[0], &out->key) != tools::KeyNameError::None)
    return fail(u"Invalid key name.");
  if (entry->operation == RegOperation::Export) {
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
      // Data or a type without a value name address the default value.
      if (!out->value && (has(u"D") || has(u"T"))) out->value = u"";
      if (!out->type) out->type = REG_SZ;
      std::u16string separator = get(u"S");
      if (has(u"S") && separator.size() != 1) return fail(u"Invalid syntax.");
      switch (DataFromText(*out->type, get(u"D"), separator, &out->data)) {
        case DataError::None:
          return true;
        case DataError::BadNumber:
          return fail(u"Invalid syntax. Specify valid numeric value.");
        case DataError::BadHex:
          return fail(u"Invalid syntax. Specify an even number of hex digits.");
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
