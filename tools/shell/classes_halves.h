// A key of the classes read from both halves directly: the machine's
// (HKEY_LOCAL_MACHINE\Software\Classes) and the user's
// (HKEY_CURRENT_USER\Software\Classes). Where both hold the key, the user's
// hides the machine's in HKEY_CLASSES_ROOT.
#pragma once
#include <vector>

#include "wide_text.h"

namespace tools {

struct HalfKey {
  bool present = false;
  std::u16string value;           // the default value; empty when missing
  std::u16string threadingModel;  // the "ThreadingModel" value; empty when missing
};

struct SplitKey {
  HalfKey machine;
  HalfKey user;
  bool present() const { return machine.present || user.present; }
  // The half HKEY_CLASSES_ROOT reads: the user's when it has the key.
  const HalfKey &winner() const { return user.present ? user : machine; }
  bool userHidesMachine() const { return user.present && machine.present; }
};

// The key at `path` (below Software\Classes) in both halves.
SplitKey ReadSplitKey(const std::u16string &path);

// The subkey names of `path` in either half, each once, in case-insensitive order.
std::vector<std::u16string> SplitSubkeyNames(const std::u16string &path);

}  // namespace tools
