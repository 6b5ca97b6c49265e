// The Windows API as the system and its hosts use it.
#pragma once
#include "excpt.h"
#include "winnt.h"
#include "windef.h"
#include "winerror.h"
#include "winbase.h"
#include "winnls.h"
#include "winreg.h"
#include "winuser.h"
#include "wingdi.h"
#ifndef WIN32_LEAN_AND_MEAN
#include "shellapi.h"
#include "ole2.h"
#endif
