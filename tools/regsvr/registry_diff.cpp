#include "registry_diff.h"

#include <map>

namespace {

using Path = std::vector<std::u16string>;  // folded components; empty for the top key

std::u16string Fold(const std::u16string &text) {
  std::u16string out = text;
  for (char16_t &c : out)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  return out;
}

Path Components(const std::u16string &path) {
  Path out;
  for (size_t start = 0; !path.empty();) {
    size_t end = path.find(u'\\', start);
    out.push_back(Fold(path.substr(start, end - start)));
    if (end == std::u16string::npos) break;
    start = end + 1;
  }
  return out;
}

std::map<Path, const tools::KeySnapshot *> Index(const std::vector<tools::KeySnapshot> &tree) {
  std::map<Path, const tools::KeySnapshot *> out;
  for (const tools::KeySnapshot &key : tree) out[Components(key.path)] = &key;
  return out;
}

const tools::RegistryValue *FindValue(const std::vector<tools::RegistryValue> &values, const std::u16string &name) {
  const std::u16string folded = Fold(name);
  for (const tools::RegistryValue &value : values)
    if (Fold(value.name) == folded) return &value;
  return nullptr;
}

class Differ {
 public:
  explicit Differ(const std::u16string &top) : top_(top) {}

  void Added(const tools::KeySnapshot &key) {
    Key(tools::RegeditAction::CreateKey, key.path);
    for (const tools::RegistryValue &value : key.values) Set(key.path, value);
  }

  void Changed(const tools::KeySnapshot &before, const tools::KeySnapshot &after) {
    const size_t start = ops_.size();
    for (const tools::RegistryValue &value : after.values) {
      const tools::RegistryValue *old = FindValue(before.values, value.name);
      if (!old || old->type != value.type || old->data != value.data) Set(after.path, value);
    }
    for (const tools::RegistryValue &value : before.values)
      if (!FindValue(after.values, value.name))
        ops_.push_back({tools::RegeditAction::DeleteValue, Full(after.path), value.name, REG_NONE, {}, 0});
    if (ops_.size() != start)
      ops_.insert(ops_.begin() + static_cast<std::ptrdiff_t>(start),
                  {tools::RegeditAction::CreateKey, Full(after.path), {}, REG_NONE, {}, 0});
  }

  void Removed(const tools::KeySnapshot &key) { Key(tools::RegeditAction::DeleteKey, key.path); }

  std::vector<tools::RegeditOp> Take() { return std::move(ops_); }

 private:
  std::u16string Full(const std::u16string &path) const { return path.empty() ? top_ : top_ + u"\\" + path; }
  void Key(tools::RegeditAction action, const std::u16string &path) {
    ops_.push_back({action, Full(path), {}, REG_NONE, {}, 0});
  }
  void Set(const std::u16string &path, const tools::RegistryValue &value) {
    ops_.push_back({tools::RegeditAction::SetValue, Full(path), value.name, value.type, value.data, 0});
  }

  std::u16string top_;
  std::vector<tools::RegeditOp> ops_;
};

}  // namespace

std::vector<tools::RegeditOp> DiffTrees(const std::u16string &top, const std::vector<tools::KeySnapshot> &before,
                                        const std::vector<tools::KeySnapshot> &after) {
  const auto old = Index(before), now = Index(after);
  Differ differ(top);
  auto b = old.begin(), a = now.begin();
  while (b != old.end() || a != now.end()) {
    if (b == old.end() || (a != now.end() && a->first < b->first)) {
      differ.Added(*a->second);
      ++a;
    } else if (a == now.end() || b->first < a->first) {
      // Only the top of a removed subtree: the parent of the rest is gone too.
      if (b->first.empty() || now.count(Path(b->first.begin(), b->first.end() - 1))) differ.Removed(*b->second);
      ++b;
    } else {
      differ.Changed(*b->second, *a->second);
      ++a;
      ++b;
    }
  }
  return differ.Take();
}
