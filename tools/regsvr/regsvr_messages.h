// What regsvr says, in the wording of the system's registration tool. Every
// message is UTF-8 text without a final line end.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "regsvr_args.h"

// The exit codes: success, bad arguments, COM would not start, the library
// would not load, an entry point is missing, a call failed.
enum RegsvrExit { kExitOk = 0, kExitArgs = 1, kExitCom = 2, kExitLoad = 3, kExitEntry = 4, kExitCall = 5 };

// The usage text, ending in a line end.
std::string RegsvrUsage();

// "DllRegisterServer and DllInstall in LIB succeeded." for `plan`.
std::string SucceededMessage(const std::string &library, const std::vector<RegsvrCall> &plan);

// LoadLibraryW failed with the Win32 error `error`.
std::string LoadFailedMessage(const std::string &library, DWORD error);

// The library does not export `entry`.
std::string EntryMissingMessage(const std::string &library, const char *entry);

// `entry` returned the failure `hr`; its system text follows where known.
std::string CallFailedMessage(const std::string &library, const char *entry, HRESULT hr);
