// Paths of a chosen length for copies of the library.
#pragma once
#include <algorithm>
#include <string>

#include "host_registration.h"

namespace registration {

// A path of exactly `units` characters for a copy of the library below `base`.
inline std::string PathOfLength(const std::string &base, size_t units) {
  const std::string file = Below("", LibraryFileName());
  std::string path = base;
  while (path.size() + file.size() < units) {
    size_t room = units - path.size() - file.size();
    // Each directory takes its name and a separator; never leave room for a separator alone.
    size_t name = std::min<size_t>(room - 1, 200);
    if (room - (name + 1) == 1) --name;
    path = Below(path, std::string(name, 'd'));
  }
  return path + file;
}

struct LengthCase {
  size_t units;
  HRESULT expected;
};

}  // namespace registration
