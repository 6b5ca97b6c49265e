// Included before a header that uses DEFINE_GUID, makes its GUIDs definitions.
#pragma once
#ifndef INITGUID
#define INITGUID
#endif
#undef DEFINE_GUID
#include "guiddef.h"
#undef DEFINE_GUID
#define DEFINE_GUID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) \
  EXTERN_C __attribute__((visibility("default"))) const GUID name;   \
  EXTERN_C const GUID name = {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}}
