// reg: queries and changes the registry from the command line, as reg.exe does.
#include <string>
#include <vector>

#include <registry_extension.h>

#include "reg_args.h"
#include "reg_commands.h"
#include "reg_console.h"
#include "registry_location.h"
#include "registry_open.h"
#include "wide_text.h"

int main(int argc, char **argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  std::string file, error;
  // Before any registry call: the substitute opens the file it names on first use.
  if (!tools::ChooseRegistryFile(&arguments, &file, &error)) {
    Err(u"ERROR: " + tools::Widen(error) + u"\n");
    return 1;
  }
  std::vector<std::u16string> args;
  for (const std::string &argument : arguments) args.push_back(tools::Widen(argument));

  RegArgs parsed;
  std::u16string message;
  if (!ParseRegArgs(args, &parsed, &message)) {
    Err(message);
    return 1;
  }
  // Only the local registry is reachable: a \\machine\ key name fails as an
  // unreachable machine does.
  if (!parsed.machine.empty()) {
    Err(u"ERROR: The network path was not found.\n");
    return 1;
  }
  // A file that cannot serve the command is reported by name before anything
  // is done; one that is only read is not made.
  const bool writes = parsed.operation == RegOperation::Add || parsed.operation == RegOperation::Delete ||
                      parsed.operation == RegOperation::Import;
  if (parsed.operation != RegOperation::Help &&
      !tools::OpenRegistryFile(file, writes ? tools::RegistryUse::Write : tools::RegistryUse::Read, &error)) {
    Err(u"ERROR: " + tools::Widen(error) + u"\n");
    return 1;
  }
  // A query or an export reads one unchanging registry, and in one read
  // transaction rather than one per call.
  if ((parsed.operation == RegOperation::Query || parsed.operation == RegOperation::Export) &&
      RegBeginStoreSnapshot() == ERROR_SUCCESS) {
    const int status = parsed.operation == RegOperation::Query ? RunQuery(parsed) : RunExport(parsed);
    RegEndStoreSnapshot();
    return status;
  }
  switch (parsed.operation) {
    case RegOperation::Help:
      return ShowUsage(parsed.helpFor);
    case RegOperation::Query:
      return RunQuery(parsed);
    case RegOperation::Add:
      return RunAdd(parsed);
    case RegOperation::Delete:
      return RunDelete(parsed);
    case RegOperation::Export:
      return RunExport(parsed);
    case RegOperation::Import:
      return RunImport(parsed);
  }
  return 1;
}
