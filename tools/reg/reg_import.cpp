#include <string>

#include "file_bytes.h"
#include "reg_commands.h"
#include "reg_console.h"
#include "regedit_apply.h"
#include "regedit_reader.h"
#include "wide_text.h"

int RunImport(const RegArgs &args) {
  std::string bytes, error;
  if (!tools::ReadFileBytes(tools::Narrow(args.file), &bytes, &error)) {
    Err(u"ERROR: Error opening the file " + args.file + u": " + tools::Widen(error) + u".\n");
    return 1;
  }
  tools::RegeditParse parse;
  if (!tools::ParseRegedit(bytes, &parse, &error)) {
    Err(u"ERROR: The specified file is not a registry script: " + tools::Widen(error) + u".\n");
    return 1;
  }
  for (size_t line : parse.notUtf8)
    Err(u"WARNING: line " + tools::Widen(std::to_string(line)) +
        u" holds bytes that are not UTF-8; each was read as U+FFFD.\n");
  for (const tools::RegeditSkip &skip : parse.skipped)
    Err(u"WARNING: line " + tools::Widen(std::to_string(skip.line)) + u" skipped: " + tools::Widen(skip.reason) +
        u".\n");
  tools::ApplyResult result = tools::ApplyRegedit(parse.ops);
  if (result.status) {
    Err(ErrorMessage(result.status));
    if (result.failed < parse.ops.size()) {
      const tools::RegeditOp &op = parse.ops[result.failed];
      Err(u"The import stopped at line " + tools::Widen(std::to_string(op.line)) + u" (" + op.key +
          u"); nothing of it was kept.\n");
    } else {
      Err(u"Nothing of the import was kept.\n");
    }
    return 1;
  }
  Out(u"The operation completed successfully.\n");
  return 0;
}
