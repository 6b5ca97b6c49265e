#include "host_registration.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <set>

#include "tests/support/key_handle.h"
#include "tests/support/registry_listing.h"
#include "tests/support/text.h"

namespace registration {

using registry_listing::SubkeyNames;

using testing_text::U16;

ServerLibrary::ServerLibrary(const std::string &path) {
  module_ = LoadLibraryW(U16(path).c_str());
  if (!module_) return;
  // Through void(*)(): an export's address carries no signature of its own.
  auto find = [this](const char *name) { return reinterpret_cast<void (*)()>(GetProcAddress(module_, name)); };
  registerServer_ = reinterpret_cast<RegisterFunction>(find("DllRegisterServer"));
  unregisterServer_ = reinterpret_cast<RegisterFunction>(find("DllUnregisterServer"));
  install_ = reinterpret_cast<InstallFunction>(find("DllInstall"));
}

ServerLibrary::~ServerLibrary() {
  if (module_) FreeLibrary(module_);
}

std::string RegisteredListing(const std::string &path) {
  const std::string appId = kAppId, clsid = "CLSID\\" + std::string(kClassId), lib = "TypeLib\\" + std::string(kLibId);
  // With no help directory given, the folder of the library (no final separator).
  const std::string directory = path.substr(0, path.find_last_of("/\\"));
#ifdef _WIN64
  const std::string platform = "win64";
#else
  const std::string platform = "win32";
#endif
  std::vector<std::string> lines{
      "AppID",
      "AppID\\" + appId,
      "AppID\\" + appId + " : @ = sz \"tovincopyshl\"",
      "AppID\\tovincopyshl.DLL",
      "AppID\\tovincopyshl.DLL : AppID = sz \"" + appId + "\"",
      "CLSID",
      clsid,
      clsid + " : @ = sz \"TovinCopyShlExt Class\"",
      clsid + "\\InprocServer32",
      clsid + "\\InprocServer32 : @ = sz \"" + path + "\"",
      clsid + "\\InprocServer32 : ThreadingModel = sz \"Apartment\"",
      "TypeLib",
      lib,
      lib + "\\1.0",
      lib + "\\1.0 : @ = sz \"tovincopyshl 1.0 Type Library\"",
      lib + "\\1.0\\0",
      lib + "\\1.0\\0\\" + platform,
      lib + "\\1.0\\0\\" + platform + " : @ = sz \"" + path + "\"",
      // FLAGS's value is left out as the listings leave it out (Omitted).
      lib + "\\1.0\\FLAGS",
      lib + "\\1.0\\HELPDIR",
      lib + "\\1.0\\HELPDIR : @ = sz \"" + directory + "\"",
  };
  for (std::string root : {"*", "Folder", "Drive", "Directory"}) {
    const std::string handler = root + "\\ShellEx\\ContextMenuHandlers\\TovinCopyShlExt";
    lines.insert(lines.end(), {root, root + "\\ShellEx", root + "\\ShellEx\\ContextMenuHandlers", handler,
                               handler + " : @ = sz \"" + kClassId + "\""});
  }
  std::sort(lines.begin(), lines.end());
  return Joined(lines);
}

std::string UnregisteredListing() {
  std::vector<std::string> lines{"AppID", "CLSID", "TypeLib"};
  for (std::string root : {"*", "Folder", "Drive", "Directory"})
    lines.insert(lines.end(), {root, root + "\\ShellEx", root + "\\ShellEx\\ContextMenuHandlers"});
  std::sort(lines.begin(), lines.end());
  return Joined(lines);
}

namespace {

struct Noted {
  std::set<std::string> lines;
  std::map<std::string, std::string> keys;  // lower case to the spelling noted
};
std::map<Classes, Noted> noted;

// Lines the listings leave out: the 32-bit view, which the registry keeps
// in step by itself, and the type library's FLAGS value, which
// Registration.TypeLibraryFlagsAreZero checks alone.
bool Omitted(const std::string &line) {
  return line.compare(0, 11, "Wow6432Node") == 0 || line.find("\\FLAGS : ") != std::string::npos;
}

std::string Lower(std::string text) {
  for (char &c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Lists `name` below `parent` as the line `path` followed by all it holds.
void ListSubtree(HKEY parent, const std::basic_string<WCHAR> &name, const std::string &path,
                 std::vector<std::string> *lines) {
  lines->push_back(path);
  testing_registry::KeyHandle key;
  if (RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ, key.out()) != ERROR_SUCCESS) return;
  registry_listing::ListKey(key.get(), path, lines);
}

// The classes below root\path as far as registration reaches: every key two
// levels down by name, and in full the handler roots and the keys of the
// server's own identifiers. A Windows installation keeps thousands of
// classes, which a full listing would read for seconds; any key written
// elsewhere still shows as a new name at the first or second level.
std::vector<std::string> ClassesListing(HKEY root, const WCHAR *path) {
  std::vector<std::string> lines;
  testing_registry::KeyHandle classes;
  if (RegOpenKeyExW(root, path, 0, KEY_READ, classes.out()) != ERROR_SUCCESS) return lines;
  const std::set<std::string> handlerRoots{"*", "folder", "drive", "directory"};
  const std::set<std::string> serverKeys{Lower(kAppId), "tovincopyshl.dll", Lower(kClassId), Lower(kLibId)};
  for (const std::basic_string<WCHAR> &top : SubkeyNames(classes.get())) {
    const std::string topPath = testing_text::U8(top);
    if (handlerRoots.count(Lower(topPath))) {
      ListSubtree(classes.get(), top, topPath, &lines);
      continue;
    }
    lines.push_back(topPath);
    testing_registry::KeyHandle key;
    if (RegOpenKeyExW(classes.get(), top.c_str(), 0, KEY_READ, key.out()) != ERROR_SUCCESS) continue;
    for (const std::basic_string<WCHAR> &child : SubkeyNames(key.get())) {
      const std::string childPath = topPath + "\\" + testing_text::U8(child);
      if (serverKeys.count(Lower(testing_text::U8(child))))
        ListSubtree(key.get(), child, childPath, &lines);
      else
        lines.push_back(childPath);
    }
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

std::vector<std::string> Current(Classes which) {
  std::vector<std::string> lines;
  switch (which) {
    case Classes::kMachine:
      lines = ClassesListing(HKEY_LOCAL_MACHINE, TEXT("Software\\Classes"));
      break;
    case Classes::kUser:
      lines = ClassesListing(HKEY_CURRENT_USER, TEXT("Software\\Classes"));
      break;
    case Classes::kMerged:
      lines = ClassesListing(HKEY_CLASSES_ROOT, nullptr);
      break;
  }
  lines.erase(std::remove_if(lines.begin(), lines.end(), Omitted), lines.end());
  return lines;
}

std::vector<std::string> Split(const std::string &text) {
  std::vector<std::string> lines;
  for (size_t from = 0, end; from < text.size(); from = end + 1) {
    end = text.find('\n', from);
    lines.push_back(text.substr(from, end - from));
  }
  return lines;
}

}  // namespace

void NoteClasses() {
  for (Classes which : {Classes::kMachine, Classes::kUser, Classes::kMerged}) {
    Noted &entry = noted[which];
    entry = Noted();
    for (const std::string &line : Current(which)) {
      entry.lines.insert(line);
      if (line.find(" : ") == std::string::npos) entry.keys[Lower(line)] = line;
    }
  }
}

std::string Changes(Classes which) {
  const Noted &before = noted[which];
  std::vector<std::string> current = Current(which), lines;
  const std::set<std::string> now(current.begin(), current.end());
  for (const std::string &line : current)
    if (!before.lines.count(line)) lines.push_back(line);
  for (const std::string &line : before.lines)
    if (!now.count(line)) lines.push_back("- " + line);
  return Joined(lines);
}

std::string Expected(Classes which, const std::string &listing) {
  const Noted &before = noted[which];
  std::vector<std::string> lines;
  for (std::string line : Split(listing)) {
    if (Omitted(line)) continue;
    // Each key on the line's path takes the spelling of the key noted.
    const size_t keyEnd = std::min(line.find(" : "), line.size());
    for (size_t end = 0; end != std::string::npos && end <= keyEnd;) {
      end = line.find('\\', end + 1);
      const size_t prefix = std::min(end, keyEnd);
      auto spelt = before.keys.find(Lower(line.substr(0, prefix)));
      if (spelt != before.keys.end()) line.replace(0, prefix, spelt->second);
      if (prefix == keyEnd) break;
    }
    if (!before.lines.count(line)) lines.push_back(line);
  }
  std::sort(lines.begin(), lines.end());
  return Joined(lines);
}

std::string Joined(const std::vector<std::string> &lines) {
  std::string text;
  for (const std::string &line : lines) text += line + "\n";
  return text;
}

std::string LibraryFileName() { return std::filesystem::path(TOVINCOPYSHL_PATH).filename().string(); }

std::string Below(const std::string &directory, const std::string &name) {
#ifdef _WIN32
  return directory + "\\" + name;
#else
  return directory + "/" + name;
#endif
}

bool CopyLibrary(const std::string &path) {
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
  return !error && std::filesystem::copy_file(TOVINCOPYSHL_PATH, path, error);
}

}  // namespace registration
