// On Windows the registry outlives the test: Begin notes which keys exist
// below the places tests write to, End deletes every key that appeared there
// since. A key is watched to a depth, so that a new key deep below an
// existing one (HKCR\Folder\shellex\...) is found without walking the
// thousands of keys a Windows installation keeps under its classes.
#include "support/fresh_state.h"

#include <windows.h>

#include <set>
#include <string>
#include <vector>

namespace fresh_state {
namespace {

struct Watched {
  HKEY root;
  const wchar_t *path;
  int depth;  // 1: the key's own subkeys
};

const Watched kWatched[] = {
    {HKEY_CURRENT_USER, L"", 1},
    {HKEY_CURRENT_USER, L"Software", 2},
    {HKEY_CURRENT_USER, L"Software\\Classes", 3},
    {HKEY_LOCAL_MACHINE, L"Software", 1},
    {HKEY_LOCAL_MACHINE, L"Software\\Classes", 1},
    {HKEY_LOCAL_MACHINE, L"Software\\Classes\\CLSID", 1},
    {HKEY_LOCAL_MACHINE, L"Software\\Classes\\AppID", 1},
    {HKEY_LOCAL_MACHINE, L"Software\\Classes\\TypeLib", 1},
    {HKEY_LOCAL_MACHINE, L"Software\\Classes\\Interface", 1},
    {HKEY_LOCAL_MACHINE, L"Software\\Classes\\*", 3},
    {HKEY_LOCAL_MACHINE, L"Software\\Classes\\Folder", 3},
    {HKEY_LOCAL_MACHINE, L"Software\\Classes\\Drive", 3},
    {HKEY_LOCAL_MACHINE, L"Software\\Classes\\Directory", 3},
    {HKEY_USERS, L"", 1},
};

struct KeyName {
  HKEY root;
  std::wstring path;
  bool operator<(const KeyName &other) const {
    if (root != other.root) return root < other.root;
    return _wcsicmp(path.c_str(), other.path.c_str()) < 0;
  }
};

std::set<KeyName> existing;

std::wstring Join(const std::wstring &parent, const std::wstring &child) {
  return parent.empty() ? child : parent + L"\\" + child;
}

void Collect(HKEY root, const std::wstring &path, int depth, std::set<KeyName> *keys) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.empty() ? nullptr : path.c_str(), 0, KEY_ENUMERATE_SUB_KEYS, &key) != ERROR_SUCCESS)
    return;
  std::vector<std::wstring> children;
  wchar_t name[256];
  for (DWORD index = 0;; ++index) {
    DWORD length = 256;
    if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    children.emplace_back(name, length);
  }
  RegCloseKey(key);
  for (const std::wstring &child : children) {
    const std::wstring childPath = Join(path, child);
    keys->insert({root, childPath});
    if (depth > 1) Collect(root, childPath, depth - 1, keys);
  }
}

std::set<KeyName> Snapshot() {
  std::set<KeyName> keys;
  for (const Watched &watched : kWatched) Collect(watched.root, watched.path, watched.depth, &keys);
  return keys;
}

}  // namespace

void Begin() { existing = Snapshot(); }

void End() {
  // A new key whose parent is new too goes with its parent's tree.
  std::set<KeyName> removed;
  for (const KeyName &key : Snapshot()) {
    if (existing.count(key)) continue;
    const size_t slash = key.path.rfind(L'\\');
    const KeyName parent{key.root, slash == std::wstring::npos ? L"" : key.path.substr(0, slash)};
    if (!parent.path.empty() && removed.count(parent)) {
      removed.insert(key);
      continue;
    }
    RegDeleteTreeW(key.root, key.path.c_str());
    RegDeleteKeyW(key.root, key.path.c_str());
    removed.insert(key);
  }
  existing.clear();
}

}  // namespace fresh_state
