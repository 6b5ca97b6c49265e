#include "module/module_flags.h"

bool initFailed = false;
bool perUserRegistration = false;
