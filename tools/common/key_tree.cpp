#include "key_tree.h"

#include "key_handle.h"

#include <algorithm>

namespace tools {
namespace {

// Another process may change the key between sizing and reading; each step
// then sizes again, this many times at most.
constexpr int kRetries = 8;

LSTATUS Sizes(HKEY key, DWORD *maxSubkey, DWORD *maxValueName, DWORD *maxValue) {
  return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, maxSubkey, nullptr, nullptr, maxValueName,
                          maxValue, nullptr, nullptr);
}

LSTATUS ReadClass(HKEY key, std::u16string *out) {
  DWORD length = 0;
  if (LSTATUS r = RegQueryInfoKeyW(key, nullptr, &length, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, nullptr, nullptr))
    return r;
  std::u16string text(length + 1, u'\0');
  DWORD size = length + 1;
  if (LSTATUS r = RegQueryInfoKeyW(key, text.data(), &size, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, nullptr, nullptr))
    return r;
  text.resize(size);
  *out = std::move(text);
  return ERROR_SUCCESS;
}

LSTATUS ReadBelow(HKEY key, const std::u16string &path, std::vector<KeySnapshot> *out) {
  KeySnapshot self;
  self.path = path;
  if (LSTATUS r = ReadClass(key, &self.keyClass)) return r;
  if (LSTATUS r = ReadValues(key, &self.values)) return r;
  out->push_back(std::move(self));
  std::vector<std::u16string> names;
  if (LSTATUS r = ReadSubkeys(key, &names)) return r;
  for (const std::u16string &name : names) {
    KeyHandle child;
    LSTATUS r = RegOpenKeyExW(key, name.c_str(), 0, KEY_READ, child.out());
    if (r == ERROR_FILE_NOT_FOUND) continue;  // deleted meanwhile by another process
    if (r) return r;
    if ((r = ReadBelow(child.get(), path.empty() ? name : path + u"\\" + name, out))) return r;
  }
  return ERROR_SUCCESS;
}

}  // namespace

LSTATUS ReadValues(HKEY key, std::vector<RegistryValue> *out) {
  DWORD maxName = 0, maxData = 0;
  if (LSTATUS r = Sizes(key, nullptr, &maxName, &maxData)) return r;
  std::u16string name(maxName + 1, u'\0');
  std::string data(maxData, '\0');
  for (DWORD index = 0, retries = 0;;) {
    DWORD nameSize = static_cast<DWORD>(name.size()), dataSize = static_cast<DWORD>(data.size()), type = 0;
    LSTATUS r = RegEnumValueW(key, index, name.data(), &nameSize, nullptr, &type,
                              reinterpret_cast<BYTE *>(data.data()), &dataSize);
    if (r == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
    if (r == ERROR_MORE_DATA && ++retries < kRetries) {
      if ((r = Sizes(key, nullptr, &maxName, &maxData))) return r;
      name.resize(std::max<size_t>(name.size(), maxName + 1));
      data.resize(std::max<size_t>(data.size(), std::max(maxData, dataSize)));
      continue;
    }
    if (r) return r;
    out->push_back({name.substr(0, nameSize), type, data.substr(0, dataSize)});
    ++index;
  }
}

LSTATUS ReadSubkeys(HKEY key, std::vector<std::u16string> *names) {
  DWORD maxName = 0;
  if (LSTATUS r = Sizes(key, &maxName, nullptr, nullptr)) return r;
  std::u16string name(maxName + 1, u'\0');
  for (DWORD index = 0, retries = 0;;) {
    DWORD nameSize = static_cast<DWORD>(name.size());
    LSTATUS r = RegEnumKeyExW(key, index, name.data(), &nameSize, nullptr, nullptr, nullptr, nullptr);
    if (r == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
    if (r == ERROR_MORE_DATA && ++retries < kRetries) {
      if ((r = Sizes(key, &maxName, nullptr, nullptr))) return r;
      name.resize(std::max<size_t>(name.size(), maxName + 1));
      continue;
    }
    if (r) return r;
    names->push_back(name.substr(0, nameSize));
    ++index;
  }
}

LSTATUS ReadTree(HKEY root, const std::u16string &path, std::vector<KeySnapshot> *out) {
  KeyHandle top;
  if (LSTATUS r = RegOpenKeyExW(root, path.empty() ? nullptr : path.c_str(), 0, KEY_READ, top.out())) return r;
  return ReadBelow(top.get(), u"", out);
}

}  // namespace tools
