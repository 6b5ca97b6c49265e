#include "key_name.h"

namespace tools {
namespace {

constexpr size_t kMaxComponent = 255;

struct Root {
  HKEY key;
  const char16_t *longName;
  const char16_t *shortName;
};

const Root kRoots[] = {
    {HKEY_LOCAL_MACHINE, u"HKEY_LOCAL_MACHINE", u"HKLM"}, {HKEY_CURRENT_USER, u"HKEY_CURRENT_USER", u"HKCU"},
    {HKEY_CLASSES_ROOT, u"HKEY_CLASSES_ROOT", u"HKCR"},   {HKEY_USERS, u"HKEY_USERS", u"HKU"},
    {HKEY_CURRENT_CONFIG, u"HKEY_CURRENT_CONFIG", u"HKCC"},
};

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

bool SameAscii(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Upper(a[i]) != Upper(b[i])) return false;
  return true;
}

}  // namespace

std::u16string KeyName::Full() const { return path.empty() ? rootName : rootName + u"\\" + path; }

KeyName KeyName::Child(const std::u16string &child) const {
  KeyName out = *this;
  if (!child.empty()) out.path = path.empty() ? child : path + u"\\" + child;
  return out;
}

KeyNameError ParseKeyName(std::u16string_view text, KeyName *out) {
  while (!text.empty() && text.back() == u'\\') text.remove_suffix(1);
  size_t slash = text.find(u'\\');
  std::u16string_view rootText = text.substr(0, slash);
  const Root *root = nullptr;
  for (const Root &r : kRoots)
    if (SameAscii(rootText, r.longName) || SameAscii(rootText, r.shortName)) root = &r;
  if (!root) return KeyNameError::UnknownRoot;
  std::u16string_view path = slash == std::u16string_view::npos ? std::u16string_view() : text.substr(slash + 1);
  size_t start = 0;
  while (start <= path.size() && !path.empty()) {
    size_t end = path.find(u'\\', start);
    if (end == std::u16string_view::npos) end = path.size();
    if (end == start) return KeyNameError::EmptyComponent;
    if (end - start > kMaxComponent) return KeyNameError::ComponentTooLong;
    start = end + 1;
  }
  out->root = root->key;
  out->rootName = root->longName;
  out->path = std::u16string(path);
  return KeyNameError::None;
}

}  // namespace tools
