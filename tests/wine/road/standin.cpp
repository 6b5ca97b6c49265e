// Stand-in for the Tovin Copy application: records its own command line
// (UTF-16, as GetCommandLineW gives it) to the file named by
// TOVIN_STANDIN_OUTPUT, else to standin.txt beside the program.
#include <windows.h>

#include <string>

int main() {
  WCHAR output[MAX_PATH];
  DWORD length = GetEnvironmentVariableW(TEXT("TOVIN_STANDIN_OUTPUT"), output, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    length = GetModuleFileNameW(nullptr, output, MAX_PATH);
    std::wstring beside(output, length);
    beside = beside.substr(0, beside.find_last_of(L'\\') + 1) + TEXT("standin.txt");
    lstrcpynW(output, beside.c_str(), MAX_PATH);
  }
  // Written aside and moved in place, so a reader never sees it half written.
  const std::wstring part = std::wstring(output) + TEXT(".part");
  HANDLE file = CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 2;
  const LPCWSTR line = GetCommandLineW();
  DWORD written = 0;
  const BOOL ok = WriteFile(file, line, lstrlenW(line) * sizeof(WCHAR), &written, nullptr);
  CloseHandle(file);
  if (!ok) return 3;
  return MoveFileExW(part.c_str(), output, MOVEFILE_REPLACE_EXISTING) ? 0 : 4;
}
