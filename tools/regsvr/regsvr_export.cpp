#include "regsvr_export.h"

#include <windows.h>

#include <iostream>

#include "file_bytes.h"
#include "hresult_text.h"
#include "key_tree.h"
#include "regedit_writer.h"
#include "registry_diff.h"
#include "regsvr_messages.h"
#include "regsvr_run.h"
#include "visible_text.h"
#include "wide_text.h"

namespace {

struct Root {
  HKEY key;
  const char16_t *name;
};

// Registration writes below Software of either; the whole roots are read so
// that nothing it touches elsewhere is missed.
const Root kRoots[] = {{HKEY_LOCAL_MACHINE, u"HKEY_LOCAL_MACHINE"}, {HKEY_CURRENT_USER, u"HKEY_CURRENT_USER"}};
constexpr size_t kRootCount = sizeof kRoots / sizeof *kRoots;

bool ReadRoots(std::vector<tools::KeySnapshot> (&trees)[kRootCount]) {
  for (size_t i = 0; i < kRootCount; ++i) {
    trees[i].clear();
    if (LSTATUS r = tools::ReadTree(kRoots[i].key, u"", &trees[i])) {
      std::cerr << "regsvr: cannot read the registry: " << tools::Win32ErrorText(static_cast<DWORD>(r)) << "\n";
      return false;
    }
  }
  return true;
}

}  // namespace

int ExportRegistration(const RegsvrArgs &args) {
  std::vector<tools::KeySnapshot> before[kRootCount], after[kRootCount];
  if (!ReadRoots(before)) return kExitCall;
  if (int status = RegisterLibraries(args)) return status;
  if (!ReadRoots(after)) return kExitCall;
  std::vector<tools::RegeditOp> ops;
  for (size_t i = 0; i < kRootCount; ++i) {
    std::vector<tools::RegeditOp> changes = DiffTrees(kRoots[i].name, before[i], after[i]);
    ops.insert(ops.end(), changes.begin(), changes.end());
  }
  if (std::optional<std::u16string> key = tools::KeyWithUnwritableName(ops)) {
    std::cerr << "regsvr: cannot export " << tools::Narrow(tools::VisibleControls(*key))
              << ": its name or a value name in it holds a line break, which a regedit file cannot carry\n";
    return kExitCall;
  }
  std::string error;
  if (!tools::WriteFileBytes(*args.exportFile, tools::RegeditFileBytes(ops), &error)) {
    std::cerr << "regsvr: cannot write " << *args.exportFile << ": " << error << "\n";
    return kExitCall;
  }
  return kExitOk;
}
