// LoadLibraryW, LoadLibraryExW and FreeLibrary with the entry-function protocol:
// static construction (dlopen), then DllMain(DLL_PROCESS_ATTACH); on refusal
// DllMain(DLL_PROCESS_DETACH) and unloading; on the last FreeLibrary
// DllMain(DLL_PROCESS_DETACH), then static destruction (dlclose). A data-file
// load only reads the file's sections (its resources); nothing is mapped or run.
#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/seams_internal.h"
#include "core/utf.h"
#include "kernel32/loader_internal.h"
#include "kernel32/loader_records.h"
#include "kernel32/resource_image.h"

namespace platform_loader {
namespace {

constexpr DWORD kDataFlags = LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE |
                             LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE;
// Everything else LoadLibraryExW accepts, including the LOAD_LIBRARY_SEARCH_* bits.
constexpr DWORD kKnownFlags = kDataFlags | DONT_RESOLVE_DLL_REFERENCES | LOAD_WITH_ALTERED_SEARCH_PATH |
                              LOAD_IGNORE_CODE_AUTHZ_LEVEL | 0x00001F00;

HMODULE Fail(DWORD error) {
  SetLastError(error);
  return nullptr;
}

std::string Directory(const std::string &path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// The absolute path of the file a library name stands for: a name with a slash
// is a path; a bare name is looked for beside the program, then in the current
// directory. Returns false with *error set when there is no such file.
bool Locate(const std::string &name, std::string *path, DWORD *error) {
  std::string candidates[2];
  size_t count = 0;
  if (name.find('/') != std::string::npos) {
    candidates[count++] = name;
  } else {
    std::string program;
    if (ObjectPath(MainProgram(), &program)) candidates[count++] = Directory(program) + "/" + name;
    candidates[count++] = name;
  }
  *error = ERROR_MOD_NOT_FOUND;
  for (size_t i = 0; i < count; ++i) {
    char resolved[PATH_MAX];
    if (!realpath(candidates[i].c_str(), resolved)) {
      if (errno == EACCES) *error = ERROR_ACCESS_DENIED;
      continue;
    }
    struct stat st;
    if (stat(resolved, &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      *error = ERROR_ACCESS_DENIED;
      continue;
    }
    *path = resolved;
    return true;
  }
  return false;
}

// 0 when the file can be read and starts like an ELF object, else the error.
DWORD CheckImage(const std::string &path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? ERROR_MOD_NOT_FOUND : ERROR_ACCESS_DENIED;
  char magic[4] = {};
  ssize_t n = read(fd, magic, sizeof magic);
  close(fd);
  if (n != 4 || std::memcmp(magic, "\x7f" "ELF", 4) != 0) return ERROR_BAD_EXE_FORMAT;
  return 0;
}

DWORD DlopenError() {
  const char *message = dlerror();
  if (!message) return ERROR_BAD_EXE_FORMAT;
  if (std::strstr(message, "undefined symbol")) return ERROR_PROC_NOT_FOUND;
  // The library itself exists (checked before), so a missing file is a dependency.
  if (std::strstr(message, "cannot open shared object file")) return ERROR_MOD_NOT_FOUND;
  return ERROR_BAD_EXE_FORMAT;
}

HMODULE HandleOfDl(void *dl) {
  link_map *map = nullptr;
  if (dlinfo(dl, RTLD_DI_LINKMAP, &map) != 0 || !map) return nullptr;
  return ObjectContaining(map->l_ld);
}

PDLL_MAIN EntryOf(void *dl, HMODULE handle) {
  void *symbol = dlsym(dl, "DllMain");
  // Only the library's own DllMain counts, not one of a library it depends on.
  if (!symbol || ObjectContaining(symbol) != handle) return nullptr;
  return reinterpret_cast<PDLL_MAIN>(symbol);
}

bool CallEntry(Module *m, DWORD reason) {
  if (!m->entry) return true;
  try {
    return m->entry(reinterpret_cast<HINSTANCE>(m->handle), reason, nullptr) != FALSE;
  } catch (...) {
    return false;  // an exception escaping DllMain fails the call, as a fault would
  }
}

// Drops one reference; at zero detaches (when attached) and unloads.
void Release(Module *m) {
  if (m->pinned || --m->refs > 0) return;
  if (m->attached) CallEntry(m, DLL_PROCESS_DETACH);
  void *dl = m->dl;
  RemoveRecord(m->handle);
  if (dl) dlclose(dl);
}

// Runs DllMain(DLL_PROCESS_ATTACH) once; on refusal detaches and drops the reference.
bool Attach(Module *m) {
  if (m->attached) return true;
  if (CallEntry(m, DLL_PROCESS_ATTACH)) {
    m->attached = true;
    return true;
  }
  CallEntry(m, DLL_PROCESS_DETACH);
  m->attached = false;
  if (--m->refs == 0 && !m->pinned) {
    void *dl = m->dl;
    RemoveRecord(m->handle);
    if (dl) dlclose(dl);
  }
  return false;
}

HMODULE LoadData(const std::string &path) {
  if (Module *m = FindRecordByPath(path, false)) {
    ++m->refs;
    return m->handle;
  }
  if (Module *m = FindRecordByPath(path, true)) {
    ++m->refs;
    return m->handle;
  }
  // Only the file's sections are read: its code is neither mapped nor run.
  std::shared_ptr<const platform_resources::ResourceImage> resources;
  if (DWORD error = platform_resources::ReadResourceImage(path, &resources)) return Fail(error);
  auto m = std::make_unique<Module>();
  m->path = path;
  m->data = true;
  m->refs = 1;
  m->resources = std::move(resources);
  return AddRecord(std::move(m))->handle;
}

HMODULE LoadExecutable(const std::string &path) {
  Module *m = FindRecordByPath(path, false);
  if (!m) {
    if (DWORD error = CheckImage(path)) return Fail(error);
    dlerror();
    void *dl = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!dl) return Fail(DlopenError());
    HMODULE handle = HandleOfDl(dl);
    if (!handle) {
      dlclose(dl);
      return Fail(ERROR_BAD_EXE_FORMAT);
    }
    m = FindRecord(handle);
    if (m) {
      if (m->dl) dlclose(dl);  // the record already holds the library
      else m->dl = dl;
    } else {
      auto fresh = std::make_unique<Module>();
      fresh->handle = handle;
      fresh->dl = dl;
      fresh->path = path;
      fresh->entry = EntryOf(dl, handle);
      m = AddRecord(std::move(fresh));
    }
  }
  ++m->refs;
  if (!Attach(m)) return Fail(ERROR_DLL_INIT_FAILED);
  return m->handle;
}

HMODULE Load(seams::Operation operation, LPCWSTR name, HANDLE file, DWORD flags) {
  std::string utf8;
  if (name) platform_utf::Utf16ToUtf8(name, utf8, false);
  char args[32];
  std::snprintf(args, sizeof args, "flags=0x%X", flags);
  uint32_t code = 0;
  if (seams::Enter(operation, name ? utf8 : "(null)", args, &code)) return Fail(code);
  if (!name || file || (flags & ~kKnownFlags)) return Fail(ERROR_INVALID_PARAMETER);
  if (utf8.empty()) return Fail(ERROR_MOD_NOT_FOUND);
  if (utf8.find('/') == std::string::npos)
    if (HMODULE system = SystemModule(name)) return system;
  std::string path;
  DWORD error = 0;
  if (!Locate(utf8, &path, &error)) return Fail(error);
  std::lock_guard<std::recursive_mutex> lock(LoaderLock());
  return (flags & kDataFlags) ? LoadData(path) : LoadExecutable(path);
}

}  // namespace
}  // namespace platform_loader

HMODULE WINAPI LoadLibraryW(LPCWSTR lpLibFileName) {
  return platform_loader::Load("LoadLibraryW", lpLibFileName, nullptr, 0);
}

HMODULE WINAPI LoadLibraryExW(LPCWSTR lpLibFileName, HANDLE hFile, DWORD dwFlags) {
  return platform_loader::Load("LoadLibraryExW", lpLibFileName, hFile, dwFlags);
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
  using namespace platform_loader;
  if (!hLibModule) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (SystemModuleName(hLibModule) || hLibModule == MainProgram()) return TRUE;
  {
    std::lock_guard<std::recursive_mutex> lock(LoaderLock());
    if (Module *m = FindRecord(hLibModule)) {
      Release(m);
      return TRUE;
    }
  }
  // A library the program was linked with: it stays for the life of the process.
  if (ObjectPath(hLibModule, nullptr)) return TRUE;
  SetLastError(ERROR_MOD_NOT_FOUND);
  return FALSE;
}
