// Structured exceptions as the substitute raises them: a C++ exception carrying
// the exception code, thrown by RaiseException and by the services that raise.
#pragma once
#include "winnt.h"

typedef struct PLATFORM_STRUCTURED_EXCEPTION {
  DWORD code;
} PLATFORM_STRUCTURED_EXCEPTION;

#define EXCEPTION_EXECUTE_HANDLER 1
#define EXCEPTION_CONTINUE_SEARCH 0
