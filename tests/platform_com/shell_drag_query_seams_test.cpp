// DragQueryFileW under the substitute's seams: a fault for one index and the
// call record; and the substitute's bounds where Windows reads on unchecked:
// damaged and empty blocks, and the last error.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform_seams.h"
#include "shell_drop_list.h"

namespace {

using namespace drop_list;

TEST(DropListSeams, FaultFailsOneIndexOnly) {
  seams::Reset();
  seams::SetRecording(true);
  seams::FailOperation("DragQueryFileW", ERROR_INVALID_DATA, 0, "1");
  GlobalBlock block(DropList(kNames, true));
  UINT result = 0;
  EXPECT_EQ(Query(block.drop(), 0, &result), kNames[0]);
  Query(block.drop(), 1, &result);
  EXPECT_EQ(result, 0u);
  EXPECT_EQ(Query(block.drop(), 2, &result), kNames[2]);
  EXPECT_EQ(DragQueryFileW(block.drop(), 0xFFFFFFFF, nullptr, 0), 3u);
  const auto calls = seams::Calls("DragQueryFileW");
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[1].subject, "1");
  EXPECT_EQ(calls[3].subject, "4294967295");
  seams::Reset();
}

TEST(DropListSeams, MalformedBlocksGiveZero) {
  struct Case {
    const char *name;
    std::vector<uint8_t> bytes;
  };
  std::vector<uint8_t> good = DropList({"/a", "/b"}, true);
  auto withOffset = [&](DWORD offset) {
    std::vector<uint8_t> b = good;
    std::memcpy(b.data(), &offset, sizeof offset);
    return b;
  };
  std::vector<uint8_t> noListEnd(good.begin(), good.end() - 2);
  std::vector<uint8_t> noNameEnd(good.begin(), good.begin() + sizeof(DROPFILES) + 3);
  std::vector<uint8_t> oddSize(good.begin(), good.end() - 1);
  const Case cases[] = {
      {"shorter than the header", std::vector<uint8_t>(good.begin(), good.begin() + 10)},
      {"names beyond the block", withOffset(static_cast<DWORD>(good.size()))},
      {"names far beyond the block", withOffset(0xFFFFFFF0)},
      {"names inside the header", withOffset(4)},
      {"list without its empty name", noListEnd},
      {"name without its NUL", noNameEnd},
      {"half a character at the end", oddSize},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    GlobalBlock block(c.bytes);
    EXPECT_EQ(DragQueryFileW(block.drop(), 0xFFFFFFFF, nullptr, 0), 0u);
    UINT result = 1;
    Query(block.drop(), 0, &result);
    EXPECT_EQ(result, 0u);
    // The pointer GlobalLock gave is bounded by its block as well.
    HDROP locked = static_cast<HDROP>(GlobalLock(block.handle()));
    EXPECT_EQ(DragQueryFileW(locked, 0xFFFFFFFF, nullptr, 0), 0u);
    Query(locked, 0, &result);
    EXPECT_EQ(result, 0u);
    GlobalUnlock(block.handle());
  }
  EXPECT_EQ(DragQueryFileW(nullptr, 0xFFFFFFFF, nullptr, 0), 0u);
}

TEST(DropListSeams, EmptyListCountsZero) {
  GlobalBlock block(DropList({}, true));
  EXPECT_EQ(DragQueryFileW(block.drop(), 0xFFFFFFFF, nullptr, 0), 0u);
  UINT result = 1;
  Query(block.drop(), 0, &result);
  EXPECT_EQ(result, 0u);
}

TEST(DropListSeams, LeavesTheLastErrorAlone) {
  GlobalBlock block(DropList(kNames, true));
  SetLastError(1234);
  EXPECT_EQ(DragQueryFileW(block.drop(), 0xFFFFFFFF, nullptr, 0), 3u);
  EXPECT_EQ(GetLastError(), 1234u);
}

}  // namespace
