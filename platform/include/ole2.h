// OLE: storage media, plus COM and Automation.
#pragma once
#include "objbase.h"
#include "oleauto.h"

WINOLEAPI_(void) ReleaseStgMedium(LPSTGMEDIUM pmedium);
WINOLEAPI OleInitialize(LPVOID pvReserved);
WINOLEAPI_(void) OleUninitialize(void);
