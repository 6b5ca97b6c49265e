// Self-registration exports of an in-process server.
#pragma once
#include "ole2.h"

STDAPI DllRegisterServer(void);
STDAPI DllUnregisterServer(void);
