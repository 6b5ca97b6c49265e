// ShellExecuteW for the "open" verb on programs: the program is started
// directly with posix_spawn, never through a command interpreter, with its
// parameters split by the Windows command-line rules. The show state is
// accepted and has no effect.
#include <windows.h>
#include <shellapi.h>

#include <cerrno>
#include <climits>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "core/seams_internal.h"
#include "core/utf.h"
#include "shell32/child_reaper.h"
#include "shell32/command_line.h"

extern char **environ;

namespace {

// Windows returns an arbitrary value above 32 for a started program.
constexpr uintptr_t kStarted = 42;

HINSTANCE Result(uintptr_t value) { return reinterpret_cast<HINSTANCE>(value); }

HINSTANCE Fail(uintptr_t seCode) {
  DWORD error = ERROR_NOT_ENOUGH_MEMORY;
  switch (seCode) {
    case SE_ERR_FNF: error = ERROR_FILE_NOT_FOUND; break;
    case SE_ERR_PNF: error = ERROR_PATH_NOT_FOUND; break;
    case SE_ERR_ACCESSDENIED: error = ERROR_ACCESS_DENIED; break;
    case ERROR_BAD_FORMAT: error = ERROR_BAD_FORMAT; break;
    case SE_ERR_NOASSOC: error = ERROR_NO_ASSOCIATION; break;
  }
  SetLastError(error);
  return Result(seCode);
}

bool IsOpenVerb(LPCWSTR verb) {
  if (!verb || !*verb) return true;
  static const char16_t kOpen[] = u"open";
  for (int i = 0; i < 4; ++i) {
    char16_t c = verb[i];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    if (c != kOpen[i]) return false;
  }
  return verb[4] == 0;
}

bool IsDirectory(const std::string &path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string ParentOf(const std::string &path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string Absolute(const std::string &path) {
  if (!path.empty() && path[0] == '/') return path;
  char cwd[PATH_MAX];
  if (!getcwd(cwd, sizeof cwd)) return path;
  return std::string(cwd) + "/" + path;
}

// Finds the program: a name with a slash is a path (relative to the current
// directory); a bare name is looked for in the current directory, then along PATH.
std::string Resolve(const std::string &file) {
  if (file.find('/') != std::string::npos) return Absolute(file);
  if (access(file.c_str(), F_OK) == 0) return Absolute(file);
  const char *path = getenv("PATH");
  if (!path) return Absolute(file);
  std::string list(path);
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(':', start);
    if (end == std::string::npos) end = list.size();
    std::string dir = list.substr(start, end - start);
    if (!dir.empty()) {
      std::string candidate = dir + "/" + file;
      if (access(candidate.c_str(), X_OK) == 0 && !IsDirectory(candidate)) return candidate;
    }
    start = end + 1;
  }
  return Absolute(file);
}

// Checks the program before starting it, for the SE_ERR_* codes Windows gives.
uintptr_t CheckProgram(const std::string &program) {
  struct stat st;
  if (stat(program.c_str(), &st) != 0) {
    if (errno == EACCES) return SE_ERR_ACCESSDENIED;
    return IsDirectory(ParentOf(program)) ? SE_ERR_FNF : SE_ERR_PNF;
  }
  // Directories and documents would need an association; none are registered.
  if (!S_ISREG(st.st_mode)) return SE_ERR_NOASSOC;
  if (access(program.c_str(), X_OK) != 0) return SE_ERR_ACCESSDENIED;
  return 0;
}

uintptr_t FromSpawnError(int e) {
  switch (e) {
    case ENOENT: return SE_ERR_FNF;
    case ENOTDIR: return SE_ERR_PNF;
    case EACCES: case EPERM: return SE_ERR_ACCESSDENIED;
    case ENOEXEC: return ERROR_BAD_FORMAT;
    default: return SE_ERR_OOM;
  }
}

class SpawnActions {
 public:
  SpawnActions() { ok_ = posix_spawn_file_actions_init(&actions_) == 0; }
  SpawnActions(const SpawnActions &) = delete;
  SpawnActions &operator=(const SpawnActions &) = delete;
  ~SpawnActions() {
    if (ok_) posix_spawn_file_actions_destroy(&actions_);
  }
  bool ok() const { return ok_; }
  posix_spawn_file_actions_t *get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
  bool ok_ = false;
};

HINSTANCE Execute(LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR lpParameters, LPCWSTR lpDirectory) {
  if (!IsOpenVerb(lpOperation)) return Fail(SE_ERR_NOASSOC);
  std::string file;
  if (!lpFile || !*lpFile || !platform_utf::ToUtf8(lpFile, &file)) return Fail(SE_ERR_FNF);
  std::string directory;
  if (lpDirectory && *lpDirectory) {
    if (!platform_utf::ToUtf8(lpDirectory, &directory) || !IsDirectory(directory)) return Fail(SE_ERR_PNF);
  }
  const std::string program = Resolve(file);
  if (uintptr_t e = CheckProgram(program)) return Fail(e);

  std::vector<std::string> arguments{file};
  if (lpParameters) {
    for (const std::u16string &a : shell::SplitCommandLine(lpParameters)) {
      std::string utf8;
      if (!platform_utf::ToUtf8(a, &utf8)) return Fail(SE_ERR_OOM);
      arguments.push_back(std::move(utf8));
    }
  }
  std::vector<char *> argv;
  for (std::string &a : arguments) argv.push_back(a.data());
  argv.push_back(nullptr);

  SpawnActions actions;
  if (!actions.ok()) return Fail(SE_ERR_OOM);
  if (!directory.empty() && posix_spawn_file_actions_addchdir_np(actions.get(), directory.c_str()) != 0)
    return Fail(SE_ERR_OOM);
  // A started program inherits none of the host's files, as on Windows.
  if (posix_spawn_file_actions_addclosefrom_np(actions.get(), 3) != 0) return Fail(SE_ERR_OOM);

  pid_t child = 0;
  int e = posix_spawn(&child, program.c_str(), actions.get(), nullptr, argv.data(), environ);
  if (e != 0) return Fail(FromSpawnError(e));
  shell::ReapInBackground(child);
  return Result(kStarted);
}

}  // namespace

HINSTANCE WINAPI ShellExecuteW(HWND hwnd, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR lpParameters,
                               LPCWSTR lpDirectory, INT nShowCmd) {
  (void)hwnd;
  try {
    uint32_t code = 0;
    if (seams::Enter("ShellExecuteW", seams::Utf8(lpFile),
                     "verb=" + seams::Utf8(lpOperation) + ", params=" + seams::Utf8(lpParameters) +
                         ", dir=" + seams::Utf8(lpDirectory) + ", show=" + std::to_string(nShowCmd),
                     &code))
      return Result(code);
    return Execute(lpOperation, lpFile, lpParameters, lpDirectory);
  } catch (...) {
    return Fail(SE_ERR_OOM);
  }
}
