// The reg operations. Each takes a parsed command line, does the work through
// the Reg* functions, writes what reg.exe writes, and returns the exit status:
// 0 on success, 1 on failure.
#pragma once
#include "reg_args.h"

int RunQuery(const RegArgs &args);
int RunAdd(const RegArgs &args);
int RunDelete(const RegArgs &args);
int RunExport(const RegArgs &args);
int RunImport(const RegArgs &args);

// Writes the usage of `operation` (Help: the general usage) to standard output; returns 0.
int ShowUsage(RegOperation operation);
