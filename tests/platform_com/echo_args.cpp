// Test helper: writes each argument (argv[0] included), one per line, to the
// file named by the environment variable ECHO_ARGS_OUTPUT, then the working
// directory on a last line starting with "cwd=".
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char **argv) {
  const char *path = std::getenv("ECHO_ARGS_OUTPUT");
  if (!path) return 2;
  // Written to a temporary name first, so a reader never sees half a file.
  char temporary[4096];
  std::snprintf(temporary, sizeof temporary, "%s.part", path);
  FILE *out = std::fopen(temporary, "w");
  if (!out) return 3;
  for (int i = 0; i < argc; ++i) std::fprintf(out, "%s\n", argv[i]);
  char cwd[4096];
  std::fprintf(out, "cwd=%s\n", getcwd(cwd, sizeof cwd) ? cwd : "?");
  std::fclose(out);
  return std::rename(temporary, path) == 0 ? 0 : 4;
}
