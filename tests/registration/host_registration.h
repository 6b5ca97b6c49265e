// The registration tests' host: the library loaded from a path with its three
// registration exports, and what registration is expected to write.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/temp_directory.h"

namespace registration {

typedef HRESULT(STDAPICALLTYPE *RegisterFunction)();
typedef HRESULT(STDAPICALLTYPE *InstallFunction)(BOOL, LPCWSTR);

inline constexpr char kAppId[] = "{1BC25855-267B-479B-9D7D-6AD83DCCBD30}";
inline constexpr char kClassId[] = "{1955A1E8-C828-42AF-A571-081D65B07B83}";
inline constexpr char kLibId[] = "{308D0CF8-2449-4115-9E32-FD0217BE1B79}";

// The library loaded with LoadLibraryW; freed on destruction.
class ServerLibrary {
 public:
  // The built library, or a copy of it at `path`.
  explicit ServerLibrary(const std::string &path = TOVINCOPYSHL_PATH);
  ~ServerLibrary();
  ServerLibrary(const ServerLibrary &) = delete;
  ServerLibrary &operator=(const ServerLibrary &) = delete;

  bool loaded() const { return registerServer_ && unregisterServer_ && install_; }
  HRESULT Register() const { return registerServer_(); }
  HRESULT Unregister() const { return unregisterServer_(); }
  HRESULT Install(BOOL install, LPCWSTR commandLine) const { return install_(install, commandLine); }

 private:
  HMODULE module_ = nullptr;
  RegisterFunction registerServer_ = nullptr;
  RegisterFunction unregisterServer_ = nullptr;
  InstallFunction install_ = nullptr;
};

// Every key and value that registration of the library at `path` writes into
// an empty registry, relative to the classes root, as registry_listing::Listing
// shows them.
std::string RegisteredListing(const std::string &path);
// What removal leaves in an empty registry: the keys it never deletes.
std::string UnregisteredListing();

// The classes of the machine, of the user, and both as HKEY_CLASSES_ROOT
// merges them.
enum class Classes { kMachine, kUser, kMerged };

// Notes the classes as they are now. Tests start from a registry that is
// empty under the substitute and shared on Windows, so listings show what
// changed since.
void NoteClasses();
// What changed in `which` since NoteClasses: the new lines of its listing,
// then each line gone with "- " before it; one line each, so that a
// difference reads as a text diff.
std::string Changes(Classes which);
inline std::string MachineClasses() { return Changes(Classes::kMachine); }
inline std::string UserClasses() { return Changes(Classes::kUser); }
// The change that turns the noted `which` into a state holding `listing`
// besides: its lines not noted already, with the noted spelling of keys that
// existed (key names compare without case).
std::string Expected(Classes which, const std::string &listing);

// The lines of a listing joined with line feeds.
std::string Joined(const std::vector<std::string> &lines);

using testing_files::TempDirectory;

// The file name of the built library, and `name` below `directory`.
std::string LibraryFileName();
std::string Below(const std::string &directory, const std::string &name);
// Copies the built library to `path`, creating its directories; false on failure.
bool CopyLibrary(const std::string &path);

}  // namespace registration
