// The tests own open registry keys with the tools' owner, so that one class
// closes keys everywhere. It needs only the SDK's names, so the tables that
// run on Windows use it as well.
#pragma once
#include "../../tools/common/key_handle.h"

namespace testing_registry {

using tools::KeyHandle;

}  // namespace testing_registry
