#include "shell32/command_line.h"

namespace shell {

std::vector<std::u16string> SplitCommandLine(const std::u16string &parameters) {
  std::vector<std::u16string> arguments;
  const size_t n = parameters.size();
  size_t i = 0;
  for (;;) {
    while (i < n && (parameters[i] == u' ' || parameters[i] == u'\t')) ++i;
    if (i >= n) break;
    std::u16string current;
    bool quoted = false;
    while (i < n) {
      const char16_t c = parameters[i];
      if (!quoted && (c == u' ' || c == u'\t')) break;
      if (c == u'\\') {
        size_t slashes = 0;
        while (i < n && parameters[i] == u'\\') {
          ++slashes;
          ++i;
        }
        if (i < n && parameters[i] == u'"') {
          current.append(slashes / 2, u'\\');
          if (slashes % 2) {
            current += u'"';
            ++i;
          }
          // An even run leaves the mark to the quoting logic below.
        } else {
          current.append(slashes, u'\\');
        }
        continue;
      }
      if (c == u'"') {
        if (quoted && i + 1 < n && parameters[i + 1] == u'"') {
          current += u'"';
          i += 2;
          continue;
        }
        quoted = !quoted;
        ++i;
        continue;
      }
      current += c;
      ++i;
    }
    arguments.push_back(std::move(current));
  }
  return arguments;
}

}  // namespace shell
