// The substitute's guards against null and reserved arguments where Windows's
// answer is not recorded: substitute only.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include "platform_seams.h"

namespace {

TEST(ComGuards, NullBuffersResultsAndReservedArgumentsAreRefused) {
  seams::Reset();
  EXPECT_EQ(StringFromGUID2(IID_IUnknown, nullptr, 64), 0);
  EXPECT_EQ(VarUI4FromStr(TEXT("1"), 0, 0, nullptr), E_POINTER);
  EXPECT_EQ(CoInitializeEx(reinterpret_cast<void *>(1), 0), E_INVALIDARG);
}

}  // namespace
