// Fuzz target: the regedit file reader, the writer, and the importer's
// ApplyRegedit, over a fresh in-memory registry. Input: the file's bytes.
// Checks: a refused file gives a reason and no ops; the writer's file of the
// ops reads back as the same ops; an import that fails names a failing op and
// leaves the registry as it was, and one that succeeds gives the same registry
// when applied a second time.
#include "fuzz/fuzz_support.h"
#include "platform_seams.h"
#include "regedit_apply.h"
#include "regedit_reader.h"
#include "regedit_writer.h"

namespace {

// The writer's file of `written` read back as `read`: the same op, save that a
// string of no bytes is written as "", which reads back as its lone NUL.
bool ReadsBackAs(const tools::RegeditOp &written, const tools::RegeditOp &read) {
  if (written.SameAs(read)) return true;
  tools::RegeditOp terminated = written;
  if (written.type != REG_SZ || !written.data.empty()) return false;
  terminated.data.assign(2, '\0');
  return terminated.SameAs(read);
}

void CheckRoundTrip(const std::vector<tools::RegeditOp> &ops) {
  tools::RegeditParse again;
  std::string reason;
  FUZZ_CHECK(tools::ParseRegedit(tools::RegeditFileBytes(ops), &again, &reason));
  FUZZ_CHECK(again.skipped.empty());
  FUZZ_CHECK(again.ops.size() == ops.size());
  for (size_t i = 0; i < ops.size(); ++i) FUZZ_CHECK(ReadsBackAs(ops[i], again.ops[i]));
}

// Applies the ops; on failure checks that the registry is back to `before`.
bool Apply(const std::vector<tools::RegeditOp> &ops, const std::set<std::u16string> &before) {
  const tools::ApplyResult result = tools::ApplyRegedit(ops);
  if (result.status == ERROR_SUCCESS) return true;
  FUZZ_CHECK(result.failed < ops.size());
  FUZZ_CHECK_REGISTRY_IS(before);
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string bytes(reinterpret_cast<const char *>(data), size);
  tools::RegeditParse parse;
  std::string reason;
  if (!tools::ParseRegedit(bytes, &parse, &reason)) {
    FUZZ_CHECK(!reason.empty() && parse.ops.empty() && parse.skipped.empty());
    return 0;
  }
  CheckRoundTrip(parse.ops);

  seams::SetRegistryFile("");
  const std::set<std::u16string> before = fuzz::SnapshotRegistry();
  if (!Apply(parse.ops, before)) return 0;
  const std::set<std::u16string> applied = fuzz::SnapshotRegistry();
  FUZZ_CHECK(Apply(parse.ops, applied));
  FUZZ_CHECK_REGISTRY_IS(applied);
  return 0;
}
