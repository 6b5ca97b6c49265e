// The base of the COM headers: kernel types and GUIDs.
#pragma once
#include "winbase.h"
#include "guiddef.h"
