#include "file_bytes.h"
#include "reg_commands.h"
#include "reg_console.h"
#include "regedit_export.h"
#include "regedit_writer.h"
#include "visible_text.h"
#include "wide_text.h"

int RunExport(const RegArgs &args) {
  std::vector<tools::RegeditOp> ops;
  if (LSTATUS r = tools::ExportKey(args.key, &ops)) {
    Err(ErrorMessage(r));
    return 1;
  }
  if (std::optional<std::u16string> key = tools::KeyWithUnwritableName(ops)) {
    Err(u"ERROR: Cannot export " + tools::VisibleControls(*key) +
        u": its name or a value name in it holds a line break, which a registry file cannot carry.\n");
    return 1;
  }
  std::string path = tools::Narrow(args.file);
  if (!args.force && tools::FileExists(path) &&
      !Confirm(u"File " + args.file + u" already exists. Overwrite (Yes/No)?"))
    return Declined();
  std::string error;
  if (!tools::WriteFileBytes(path, tools::RegeditFileBytes(ops), &error)) {
    Err(u"ERROR: Cannot write the file " + args.file + u": " + tools::Widen(error) + u".\n");
    return 1;
  }
  Out(u"The operation completed successfully.\n");
  return 0;
}
