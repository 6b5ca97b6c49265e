// A second process for the shared-file tests. Uses the registry the
// environment configures (TOVIN_REGISTRY_FILE, TOVIN_REGISTRY_MACHINE_READONLY)
// and prints its results on one line:
//   registry_peer set HKCU|HKLM PATH NAME TEXT  -> status
//   registry_peer get HKCU|HKLM PATH NAME       -> status text
//   registry_peer delete HKCU|HKLM PATH         -> status (the whole subtree)
//   registry_peer fill HKCU|HKLM PATH COUNT     -> failures (keys PATH\k<i> with value "n" = "<i>")
#include <cstdio>
#include <cstdlib>
#include <string>

#include <windows.h>

namespace {

std::basic_string<WCHAR> Wide(const std::string &text) { return std::basic_string<WCHAR>(text.begin(), text.end()); }

std::string Narrow(const WCHAR *text) {
  std::string out;
  for (; *text; ++text) out += static_cast<char>(*text);
  return out;
}

LSTATUS Set(HKEY root, const std::string &path, const std::string &name, const std::string &text) {
  HKEY key = nullptr;
  LSTATUS r = RegCreateKeyExW(root, Wide(path).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
  if (r != ERROR_SUCCESS) return r;
  std::basic_string<WCHAR> data = Wide(text);
  r = RegSetValueExW(key, Wide(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(data.c_str()),
                     static_cast<DWORD>((data.size() + 1) * 2));
  RegCloseKey(key);
  return r;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc < 4) return 2;
  std::string command = argv[1];
  HKEY root = std::string(argv[2]) == "HKLM" ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  std::string path = argv[3];
  if (command == "set" && argc == 6) {
    std::printf("%ld\n", static_cast<long>(Set(root, path, argv[4], argv[5])));
  } else if (command == "get" && argc == 5) {
    WCHAR text[256] = {};
    DWORD size = sizeof text - 2;
    LSTATUS r = RegGetValueW(root, Wide(path).c_str(), Wide(argv[4]).c_str(), RRF_RT_REG_SZ, nullptr, text, &size);
    std::printf("%ld %s\n", static_cast<long>(r), Narrow(text).c_str());
  } else if (command == "delete") {
    std::printf("%ld\n", static_cast<long>(RegDeleteTreeW(root, Wide(path).c_str())));
  } else if (command == "fill" && argc == 5) {
    int failures = 0;
    for (int i = 0, n = std::atoi(argv[4]); i < n; ++i)
      if (Set(root, path + "\\k" + std::to_string(i), "n", std::to_string(i)) != ERROR_SUCCESS) ++failures;
    std::printf("%d\n", failures);
  } else {
    return 2;
  }
  return 0;
}
