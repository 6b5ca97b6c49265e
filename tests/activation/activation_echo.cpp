// Stand-in for the Tovin Copy application: writes each argument after the
// program name, one per line, to the file named by ACTIVATION_ECHO_OUTPUT.
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv) {
  const char *path = std::getenv("ACTIVATION_ECHO_OUTPUT");
  if (!path) return 2;
  // A reader polling for the file never sees it half written.
  char temporary[4096];
  std::snprintf(temporary, sizeof temporary, "%s.part", path);
  FILE *out = std::fopen(temporary, "w");
  if (!out) return 3;
  for (int i = 1; i < argc; ++i) std::fprintf(out, "%s\n", argv[i]);
  std::fclose(out);
  return std::rename(temporary, path) == 0 ? 0 : 4;
}
