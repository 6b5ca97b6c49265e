#include "host_registration.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>

#include "tests/support/registry_listing.h"
#include "tests/support/text.h"

namespace registration {

using registry_listing::Listing;
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
  const std::string directory = path.substr(0, path.rfind('/'));
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
      lib + "\\1.0\\0\\win32",
      lib + "\\1.0\\0\\win32 : @ = sz \"" + path + "\"",
      lib + "\\1.0\\FLAGS",
      lib + "\\1.0\\FLAGS : @ = sz \"0\"",
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

std::string MachineClasses() { return Joined(Listing(HKEY_LOCAL_MACHINE, TEXT("Software\\Classes"))); }

std::string UserClasses() { return Joined(Listing(HKEY_CURRENT_USER, TEXT("Software\\Classes"))); }

std::string Joined(const std::vector<std::string> &lines) {
  std::string text;
  for (const std::string &line : lines) text += line + "\n";
  return text;
}

bool CopyLibrary(const std::string &path) {
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
  return !error && std::filesystem::copy_file(TOVINCOPYSHL_PATH, path, error);
}

}  // namespace registration
