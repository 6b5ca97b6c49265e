// Stand-in for the Tovin Copy application: writes each argument after the
// program name, one per line in UTF-8, to the file named by
// ACTIVATION_ECHO_OUTPUT.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

// The arguments as UTF-8, from the wide command line (argv is in the ANSI code page).
static std::vector<std::string> Arguments(int, char **) {
  std::vector<std::string> arguments;
  int count = 0;
  LPWSTR *wide = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int i = 1; wide && i < count; ++i) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string text(bytes > 0 ? bytes - 1 : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, text.data(), bytes, nullptr, nullptr);
    arguments.push_back(text);
  }
  LocalFree(wide);
  return arguments;
}
#else
static std::vector<std::string> Arguments(int argc, char **argv) { return std::vector<std::string>(argv + 1, argv + argc); }
#endif

int main(int argc, char **argv) {
  const char *path = std::getenv("ACTIVATION_ECHO_OUTPUT");
  if (!path) return 2;
  // A reader polling for the file never sees it half written.
  const std::string temporary = std::string(path) + ".part";
  FILE *out = std::fopen(temporary.c_str(), "w");
  if (!out) return 3;
  for (const std::string &argument : Arguments(argc, argv)) std::fprintf(out, "%s\n", argument.c_str());
  std::fclose(out);
  return std::rename(temporary.c_str(), path) == 0 ? 0 : 4;
}
