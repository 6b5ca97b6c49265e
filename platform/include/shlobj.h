// Shell objects: extension interfaces and the drop-list layout.
#pragma once
#include "ole2.h"
#include "shellapi.h"
#include "shobjidl.h"

typedef struct _DROPFILES {
  DWORD pFiles;
  POINT pt;
  BOOL fNC;
  BOOL fWide;
} DROPFILES, *LPDROPFILES;
