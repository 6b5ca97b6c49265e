#include "module/tovincopyshl_module.h"

#include "shellext/identifiers.h"

LPCOLESTR CtovincopyshlModule::GetAppIdText() { return appIdText; }
