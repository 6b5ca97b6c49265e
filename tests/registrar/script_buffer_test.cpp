// CScriptBuffer: growth, ownership and overflow.
#include "registrar/script_buffer.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <string>

#include "platform_seams.h"

namespace {

TEST(ScriptBufferTest, InitialCapacity) {
  const struct {
    int requested;
    int capacity;
  } cases[] = {{0, 1000}, {-5, 1000}, {99, 1000}, {100, 100}, {4000, 4000}};
  for (const auto &c : cases) {
    CScriptBuffer buffer(c.requested);
    EXPECT_EQ(buffer.capacity, c.capacity) << c.requested;
    ASSERT_NE(buffer.data, nullptr);
    EXPECT_EQ(buffer.length, 0);
    EXPECT_EQ(buffer.data[0], 0);
  }
}

TEST(ScriptBufferTest, GrowsByDoublingWhileKeepingRoomForTheTerminator) {
  CScriptBuffer buffer(100);
  std::u16string units(98, u'a');
  ASSERT_TRUE(buffer.Append(units.data(), 98));  // 99 needed, below 100
  EXPECT_EQ(buffer.capacity, 100);
  ASSERT_TRUE(buffer.Append(u"b", 1));  // 100 needed: not below 100
  EXPECT_EQ(buffer.capacity, 200);
  std::u16string many(500, u'c');
  ASSERT_TRUE(buffer.AppendText(many.c_str()));  // 600 needed: 200 -> 400 -> 800
  EXPECT_EQ(buffer.capacity, 800);
  EXPECT_EQ(buffer.length, 599);
  EXPECT_EQ(std::u16string(buffer.data), units + u"b" + many);
}

TEST(ScriptBufferTest, RefusedAppendsLeaveTheTextAlone) {
  CScriptBuffer buffer(0);
  ASSERT_TRUE(buffer.AppendText(u"abc"));
  EXPECT_FALSE(buffer.AppendText(nullptr));
  EXPECT_FALSE(buffer.Append(u"x", -1));
  EXPECT_FALSE(buffer.Append(u"x", 0x7FFFFFFF));  // the needed size overflows
  // A capacity that can no longer double: refused before any reallocation.
  int realCapacity = buffer.capacity;
  buffer.capacity = 0x40000000;
  buffer.length = 0x3FFFFFFF;
  EXPECT_FALSE(buffer.Append(u"x", 1));
  buffer.capacity = realCapacity;
  buffer.length = 3;
  EXPECT_EQ(std::u16string(buffer.data), u"abc");
  EXPECT_TRUE(buffer.Append(u"d", 0));
  EXPECT_EQ(buffer.length, 3);
}

TEST(ScriptBufferTest, FailedReallocationKeepsTheOldText) {
  seams::Reset();
  CScriptBuffer buffer(100);
  ASSERT_TRUE(buffer.AppendText(u"keep"));
  seams::FailOperation("CoTaskMemRealloc", 0);
  std::u16string big(200, u'z');
  EXPECT_FALSE(buffer.AppendText(big.c_str()));
  EXPECT_EQ(buffer.capacity, 100);
  EXPECT_EQ(std::u16string(buffer.data), u"keep");
}

TEST(ScriptBufferTest, TakeTextPassesOwnership) {
  WCHAR *text = nullptr;
  {
    CScriptBuffer buffer(0);
    ASSERT_TRUE(buffer.AppendText(u"owned"));
    text = buffer.TakeText();
    EXPECT_EQ(buffer.data, nullptr);
  }
  EXPECT_EQ(std::u16string(text), u"owned");
  CoTaskMemFree(text);
}

TEST(ScriptBufferTest, FailedAllocationLeavesNoData) {
  seams::Reset();
  seams::FailOperation("CoTaskMemAlloc", 0);
  CScriptBuffer buffer(0);
  EXPECT_EQ(buffer.data, nullptr);
  EXPECT_FALSE(buffer.AppendText(u"x"));
}

}  // namespace
