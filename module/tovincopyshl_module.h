// The library's module class and its one static instance.
#pragma once
#include "module/module.h"

class CtovincopyshlModule : public CDllModuleT<CtovincopyshlModule> {
 public:
  // The application identifier in registry text, braces included.
  static LPCOLESTR GetAppIdText();
};

// The library's module object (one static record).
extern CtovincopyshlModule tovincopyshlModule;
