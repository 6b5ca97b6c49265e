// A stand-in for the Tovin Copy application: reports the command line it was
// started with, on standard output or, when TOVINCOPY_STANDIN_LOG names a
// file, appended to that file, where a script that started it can wait for it.
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char **argv) {
  // The arguments joined again, as the parameters text the program was given.
  std::string line = "Tovin Copy (stand-in) started with the parameters:";
  for (int i = 1; i < argc; ++i) line += std::string(" ") + argv[i];
  line += '\n';
  const char *log = std::getenv("TOVINCOPY_STANDIN_LOG");
  std::FILE *out = log && *log ? std::fopen(log, "a") : stdout;
  if (!out) return 1;
  std::fputs(line.c_str(), out);
  return out == stdout ? (std::fflush(out) == 0 ? 0 : 1) : (std::fclose(out) == 0 ? 0 : 1);
}
