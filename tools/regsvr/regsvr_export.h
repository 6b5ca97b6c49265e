// Registration as data: what the calls change, written as a regedit file.
#pragma once
#include "regsvr_args.h"

// Reads HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER whole, makes the calls of
// args as RegisterLibraries does, reads them again and writes the difference
// (registry_diff.h) to *args.exportFile as a version 5.00 regedit file. Meant
// to run against a scratch copy of the registry (ScratchRegistry). Returns
// RegisterLibraries' failure with nothing written, kExitCall when the registry
// cannot be read, a name holds a line break (KeyWithUnwritableName) or the
// file cannot be written (reason on standard error; nothing written then),
// else kExitOk.
int ExportRegistration(const RegsvrArgs &args);
