// Holds a DLL loaded, as a file-manager window that has shown the menu does:
// loads DLL, prints "loaded", and keeps it until the file RELEASE exists (or
// two minutes pass). Exits 1 when the DLL does not load.
//
//   hold DLL RELEASE
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t **argv) {
  if (argc != 3) return 2;
  HMODULE module = LoadLibraryW(argv[1]);
  if (!module) {
    std::printf("not loaded: %lu\n", GetLastError());
    return 1;
  }
  std::printf("loaded\n");
  std::fflush(stdout);
  for (int waited = 0; waited < 1200 && GetFileAttributesW(argv[2]) == INVALID_FILE_ATTRIBUTES; ++waited) {
    Sleep(100);
  }
  FreeLibrary(module);
  return 0;
}
