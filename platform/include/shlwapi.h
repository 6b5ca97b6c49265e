// The installer's entry point of an in-process server.
#pragma once
#include "objbase.h"

STDAPI DllInstall(BOOL bInstall, LPCWSTR pszCmdLine);
