// The loader tests' view of the process on Windows: the module snapshot of the
// tool-help library and the file system's full path names.
#include "loader_support.h"

#include <windows.h>
#include <tlhelp32.h>

#include "support/text.h"

namespace loader_support {

bool StillMapped(const char *path) {
  const std::wstring full = testing_text::U16(FullPath(path));
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, GetCurrentProcessId());
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  MODULEENTRY32W entry{};
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL more = Module32FirstW(snapshot, &entry); more && !found; more = Module32NextW(snapshot, &entry))
    found = lstrcmpiW(entry.szExePath, full.c_str()) == 0;
  CloseHandle(snapshot);
  return found;
}

std::string FullPath(const char *path) {
  WCHAR full[MAX_PATH];
  const DWORD n = GetFullPathNameW(testing_text::U16(path).c_str(), MAX_PATH, full, nullptr);
  return n > 0 && n < MAX_PATH ? testing_text::U8(full) : std::string();
}

// The snapshot lists the program first.
std::string ProgramPath() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, GetCurrentProcessId());
  if (snapshot == INVALID_HANDLE_VALUE) return std::string();
  MODULEENTRY32W entry{};
  entry.dwSize = sizeof entry;
  std::string path;
  if (Module32FirstW(snapshot, &entry)) path = testing_text::U8(entry.szExePath);
  CloseHandle(snapshot);
  return path;
}

}  // namespace loader_support
