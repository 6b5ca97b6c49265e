#include "classes_halves.h"

#include <algorithm>

#include "handler_keys.h"
#include "registry_read.h"

namespace tools {

namespace {

HalfKey ReadHalf(const ClassesView &view, const std::u16string &path) {
  HalfKey half;
  const std::u16string full = view.prefix + path;
  half.present = KeyExists(view.root, full);
  if (!half.present) return half;
  ReadString(view.root, full, nullptr, &half.value);
  ReadString(view.root, full, TEXT("ThreadingModel"), &half.threadingModel);
  return half;
}

}  // namespace

SplitKey ReadSplitKey(const std::u16string &path) {
  SplitKey key;
  key.machine = ReadHalf(kMachineClasses, path);
  key.user = ReadHalf(kUserClasses, path);
  return key;
}

std::vector<std::u16string> SplitSubkeyNames(const std::u16string &path) {
  std::vector<std::u16string> names = SubkeyNames(kMachineClasses.root, kMachineClasses.prefix + path);
  for (const std::u16string &name : SubkeyNames(kUserClasses.root, kUserClasses.prefix + path)) {
    bool known = false;
    for (const std::u16string &seen : names) known = known || lstrcmpiW(seen.c_str(), name.c_str()) == 0;
    if (!known) names.push_back(name);
  }
  std::sort(names.begin(), names.end(),
            [](const std::u16string &a, const std::u16string &b) { return lstrcmpiW(a.c_str(), b.c_str()) < 0; });
  return names;
}

}  // namespace tools
