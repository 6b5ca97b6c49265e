// On Windows the registry outlives the test: Begin notes which keys exist
// below the places tests write to, End deletes every key that appeared there
// since. A key is watched to a depth, so that a new key deep below an
// existing one (HKCR\Folder\shellex\...) is found without walking the
// thousands of keys a Windows installation keeps under its classes.
//
// Listing the large class roots costs more than most tests, so the names are
// kept between test processes in a file under the temporary folder, each
// key's list with its subkey count and last-write time: Windows updates both
// when a subkey is created or deleted, so an unchanged pair means the cached
// list still holds.
#include "support/fresh_state.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <map>
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
    {HKEY_LOCAL_MACHINE, L"Software\\Classes\\Wow6432Node\\AppID", 1},
    {HKEY_LOCAL_MACHINE, L"Software\\Classes\\Wow6432Node\\TypeLib", 1},
    {HKEY_USERS, L"", 1},
};

struct KeyName {
  uint32_t root;  // the predefined handle's value
  std::wstring path;
  bool operator<(const KeyName &other) const {
    if (root != other.root) return root < other.root;
    return _wcsicmp(path.c_str(), other.path.c_str()) < 0;
  }
};

// One key's subkey names as listed, with what Windows changes when they change.
struct Listing {
  DWORD count = 0;
  uint64_t lastWrite = 0;
  std::vector<std::wstring> children;
};

HKEY RootOf(uint32_t root) { return reinterpret_cast<HKEY>(static_cast<uintptr_t>(static_cast<LONG>(root))); }
uint32_t RootId(HKEY root) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(root)); }

std::map<KeyName, Listing> cache;
bool cacheChanged = false;
std::set<KeyName> existing;

std::wstring CacheFile() {
  wchar_t folder[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH) return L"";
  return std::wstring(folder, length) + L"tovin-fresh-state.cache";
}

bool ReadWords(FILE *file, void *data, size_t bytes) { return fread(data, 1, bytes, file) == bytes; }

bool ReadText(FILE *file, std::wstring *text) {
  uint32_t length = 0;
  if (!ReadWords(file, &length, sizeof length) || length > 32768) return false;
  text->resize(length);
  return length == 0 || ReadWords(file, text->data(), length * sizeof(wchar_t));
}

void WriteText(FILE *file, const std::wstring &text) {
  const uint32_t length = static_cast<uint32_t>(text.size());
  fwrite(&length, sizeof length, 1, file);
  fwrite(text.data(), sizeof(wchar_t), length, file);
}

// A damaged or missing file only costs a fresh listing.
void LoadCache() {
  cache.clear();
  cacheChanged = false;
  FILE *file = _wfopen(CacheFile().c_str(), L"rb");
  if (!file) return;
  for (;;) {
    KeyName key;
    Listing listing;
    uint32_t children = 0;
    if (!ReadWords(file, &key.root, sizeof key.root) || !ReadText(file, &key.path) ||
        !ReadWords(file, &listing.count, sizeof listing.count) ||
        !ReadWords(file, &listing.lastWrite, sizeof listing.lastWrite) ||
        !ReadWords(file, &children, sizeof children) || children > 100000)
      break;
    listing.children.resize(children);
    bool complete = true;
    for (std::wstring &child : listing.children) complete = complete && ReadText(file, &child);
    if (!complete) break;
    cache[key] = std::move(listing);
  }
  fclose(file);
}

void SaveCache() {
  if (!cacheChanged) return;
  cacheChanged = false;
  FILE *file = _wfopen(CacheFile().c_str(), L"wb");
  if (!file) return;
  for (const auto &[key, listing] : cache) {
    fwrite(&key.root, sizeof key.root, 1, file);
    WriteText(file, key.path);
    fwrite(&listing.count, sizeof listing.count, 1, file);
    fwrite(&listing.lastWrite, sizeof listing.lastWrite, 1, file);
    const uint32_t children = static_cast<uint32_t>(listing.children.size());
    fwrite(&children, sizeof children, 1, file);
    for (const std::wstring &child : listing.children) WriteText(file, child);
  }
  fclose(file);
}

std::wstring Join(const std::wstring &parent, const std::wstring &child) {
  return parent.empty() ? child : parent + L"\\" + child;
}

// The key's subkeys, from the cache while its count and time are unchanged.
const std::vector<std::wstring> *Children(const KeyName &name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(RootOf(name.root), name.path.empty() ? nullptr : name.path.c_str(), 0,
                    KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    cacheChanged |= cache.erase(name) != 0;
    return nullptr;
  }
  Listing current;
  FILETIME lastWrite{};
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &current.count, nullptr, nullptr, nullptr, nullptr, nullptr,
                       nullptr, &lastWrite) != ERROR_SUCCESS) {
    RegCloseKey(key);
    cacheChanged |= cache.erase(name) != 0;
    return nullptr;
  }
  current.lastWrite = (uint64_t(lastWrite.dwHighDateTime) << 32) | lastWrite.dwLowDateTime;
  auto cached = cache.find(name);
  if (cached != cache.end() && cached->second.count == current.count &&
      cached->second.lastWrite == current.lastWrite) {
    RegCloseKey(key);
    return &cached->second.children;
  }
  wchar_t child[256];
  for (DWORD index = 0;; ++index) {
    DWORD length = 256;
    if (RegEnumKeyExW(key, index, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    current.children.emplace_back(child, length);
  }
  RegCloseKey(key);
  Listing &stored = cache[name];
  stored = std::move(current);
  cacheChanged = true;
  return &stored.children;
}

void Collect(const KeyName &name, int depth, std::set<KeyName> *keys) {
  const std::vector<std::wstring> *children = Children(name);
  if (!children) return;
  // Copied: the recursion below may replace the listing.
  const std::vector<std::wstring> names = *children;
  for (const std::wstring &child : names) {
    const KeyName childName{name.root, Join(name.path, child)};
    keys->insert(childName);
    if (depth > 1) Collect(childName, depth - 1, keys);
  }
}

std::set<KeyName> Snapshot() {
  std::set<KeyName> keys;
  for (const Watched &watched : kWatched) Collect({RootId(watched.root), watched.path}, watched.depth, &keys);
  return keys;
}

}  // namespace

void Begin() {
  LoadCache();
  existing = Snapshot();
  SaveCache();
}

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
    RegDeleteTreeW(RootOf(key.root), key.path.c_str());
    RegDeleteKeyW(RootOf(key.root), key.path.c_str());
    removed.insert(key);
  }
  existing.clear();
  SaveCache();
}

}  // namespace fresh_state
