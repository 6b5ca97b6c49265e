#include <string>
#include <vector>

#include "key_handle.h"
#include "key_tree.h"
#include "reg_commands.h"
#include "reg_console.h"
#include "reg_values.h"
#include "wide_text.h"

namespace {

bool SameUnit(char16_t a, char16_t b, bool caseSensitive) {
  if (a == b) return true;
  if (caseSensitive) return false;
  const char16_t x[2] = {a, 0}, y[2] = {b, 0};
  return lstrcmpiW(x, y) == 0;
}

// Whether all of `text` matches `pattern`, where * stands for any run and ? for any one unit.
bool Matches(const std::u16string &pattern, const std::u16string &text, bool caseSensitive) {
  size_t p = 0, t = 0, star = std::u16string::npos, resume = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == u'*') {
      star = p++;
      resume = t;
    } else if (p < pattern.size() && (pattern[p] == u'?' || SameUnit(pattern[p], text[t], caseSensitive))) {
      ++p;
      ++t;
    } else if (star != std::u16string::npos) {
      p = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

std::u16string ValueLine(const tools::RegistryValue &value) {
  return u"    " + (value.name.empty() ? std::u16string(u"(Default)") : Shown(value.name)) + u"    " +
         TypeName(value.type) + u"    " + Shown(DataText(value.type, value.data)) + u"\n";
}

class Query {
 public:
  explicit Query(const RegArgs &args) : args_(args) {
    if (args.search) pattern_ = args.exact ? *args.search : u"*" + *args.search + u"*";
  }

  int Run() {
    tools::KeyHandle key;
    LSTATUS r = RegOpenKeyExW(args_.key.root, args_.key.path.c_str(), 0, KEY_READ, key.out());
    std::u16string full = args_.key.Full();
    bool single = args_.value && !args_.recurse && !args_.search;
    bool filtered = args_.value || args_.type || args_.search;
    if (r == ERROR_SUCCESS) {
      if (single) return OneValue(key.get(), full);
      Out(u"\n");
      r = filtered ? Search(key.get(), full, true) : List(key.get(), full);
    }
    if (r) return Fail(r);
    if (!filtered) return 0;
    Out(u"End of search: " + tools::Widen(std::to_string(matches_)) + u" match(es) found.\n");
    return matches_ ? 0 : 1;
  }

 private:
  static int Fail(LSTATUS r) {
    Err(ErrorMessage(r));
    return 1;
  }

  int OneValue(HKEY key, const std::u16string &full) {
    std::vector<tools::RegistryValue> values;
    if (LSTATUS r = tools::ReadValues(key, &values)) return Fail(r);
    for (const tools::RegistryValue &value : values) {
      if (!ValueMatches(value)) continue;
      Out(u"\n" + Shown(full) + u"\n" + ValueLine(value) + u"\n");
      return 0;
    }
    if (!args_.value->empty() || args_.type) return Fail(ERROR_FILE_NOT_FOUND);
    Out(u"\n" + Shown(full) + u"\n    (Default)    REG_SZ    (value not set)\n\n");
    return 0;
  }

  // Everything: the key with its values, then its subkeys (with /s each in full).
  // The named key's own name shows only above values of its own; a subkey's always does.
  LSTATUS List(HKEY key, const std::u16string &full, bool top = true) {
    std::vector<tools::RegistryValue> values;
    std::vector<std::u16string> subkeys;
    if (LSTATUS r = tools::ReadValues(key, &values)) return r;
    if (LSTATUS r = tools::ReadSubkeys(key, &subkeys)) return r;
    if (!values.empty() || !top) {
      std::u16string text = Shown(full) + u"\n";
      for (const tools::RegistryValue &value : values) text += ValueLine(value);
      Out(text + u"\n");
    }
    for (const std::u16string &name : subkeys) {
      if (!args_.recurse) {
        Out(Shown(full + u"\\" + name) + u"\n");
        continue;
      }
      tools::KeyHandle child;
      LSTATUS r = RegOpenKeyExW(key, name.c_str(), 0, KEY_READ, child.out());
      if (r == ERROR_FILE_NOT_FOUND) continue;  // deleted meanwhile
      if (r || (r = List(child.get(), full + u"\\" + name, false))) return r;
    }
    return ERROR_SUCCESS;
  }

  bool PatternMatches(const std::u16string &text) const { return Matches(pattern_, text, args_.caseSensitive); }

  bool ValueMatches(const tools::RegistryValue &value) const {
    if (args_.value && lstrcmpiW(args_.value->c_str(), value.name.c_str()) != 0) return false;
    if (args_.type && *args_.type != value.type) return false;
    if (!args_.search) return true;
    if (args_.keysOnly) return false;
    return PatternMatches(DataText(value.type, value.data)) || (!args_.dataOnly && PatternMatches(value.name));
  }

  bool KeyNameMatches(const std::u16string &name) const {
    return args_.search && !args_.dataOnly && !args_.value && !args_.type && PatternMatches(name);
  }

  // Each key whose name or values match, with the matching values; below the
  // top key only subkey names unless /s.
  LSTATUS Search(HKEY key, const std::u16string &full, bool top) {
    std::vector<tools::RegistryValue> values;
    std::vector<std::u16string> subkeys;
    if (LSTATUS r = tools::ReadValues(key, &values)) return r;
    if (LSTATUS r = tools::ReadSubkeys(key, &subkeys)) return r;
    std::u16string lines;
    size_t found = 0;
    for (const tools::RegistryValue &value : values)
      if (ValueMatches(value)) {
        lines += ValueLine(value);
        ++found;
      }
    if (!top && KeyNameMatches(full.substr(full.rfind(u'\\') + 1))) ++found;
    if (found) Out(Shown(full) + u"\n" + lines + u"\n");
    matches_ += found;
    for (const std::u16string &name : subkeys) {
      std::u16string childName = full + u"\\" + name;
      if (!args_.recurse) {
        if (KeyNameMatches(name)) {
          Out(Shown(childName) + u"\n\n");
          ++matches_;
        }
        continue;
      }
      tools::KeyHandle child;
      LSTATUS r = RegOpenKeyExW(key, name.c_str(), 0, KEY_READ, child.out());
      if (r == ERROR_FILE_NOT_FOUND) continue;
      if (r || (r = Search(child.get(), childName, false))) return r;
    }
    return ERROR_SUCCESS;
  }

  const RegArgs &args_;
  std::u16string pattern_;
  size_t matches_ = 0;
};

}  // namespace

int RunQuery(const RegArgs &args) { return Query(args).Run(); }
