// IShellExtInit::Initialize when the system calls it makes fail.
#include <gtest/gtest.h>

#include "initialize_fixture.h"
#include "platform_seams.h"

namespace {

using InitializeSeamsTest = InitializeTest;

TEST_F(InitializeSeamsTest, FailedSystemCallsKeepTheEarlierPathOrTheNamesBefore) {
  struct Case {
    const char *name;
    seams::Operation operation;
    uint32_t code;
    unsigned nth;  // 0: every call
    const char *subject;
    std::vector<std::basic_string<WCHAR>> names;
    std::string kept;  // after an earlier Initialize kept "C:\Before"
  } cases[] = {
      {"the second name unreadable", "DragQueryFileW", ERROR_INVALID_PARAMETER, 0, "1", {TEXT("C:\\one"), TEXT("C:\\two"), TEXT("C:\\three")},
       " /oC:\\one"},
      {"the first name unreadable", "DragQueryFileW", ERROR_INVALID_PARAMETER, 0, "0", {TEXT("C:\\one"), TEXT("C:\\two")}, " /oC:\\Before"},
      // The data object's own lock is the first call, the extension's the second.
      {"the block cannot be locked", "GlobalLock", ERROR_INVALID_HANDLE, 2, "", {TEXT("C:\\x")}, " /oC:\\Before"},
  };
  for (const Case &c : cases) {
    ASSERT_EQ(S_OK, host::InitializeWith(init_, {TEXT("C:\\Before")})) << c.name;
    seams::FailOperation(c.operation, c.code, c.nth, c.subject);
    EXPECT_EQ(E_INVALIDARG, host::InitializeWith(init_, c.names)) << c.name;
    seams::ClearFaults();
    EXPECT_EQ(c.kept, KeptParameters()) << c.name;
  }
}

}  // namespace
