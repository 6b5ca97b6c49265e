// DragQueryFileW over file-drop lists in global memory.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform_seams.h"
#include "support/text.h"

using testing_text::U16;
using testing_text::U8;

namespace {

// A drop list as the shell builds it: header, names with NULs, an empty name.
std::vector<uint8_t> DropList(const std::vector<std::string> &names, bool wide) {
  std::vector<uint8_t> bytes(sizeof(DROPFILES));
  DROPFILES header{};
  header.pFiles = sizeof(DROPFILES);
  header.fWide = wide;
  std::memcpy(bytes.data(), &header, sizeof header);
  auto append = [&](const void *p, size_t n) {
    const uint8_t *b = static_cast<const uint8_t *>(p);
    bytes.insert(bytes.end(), b, b + n);
  };
  for (const std::string &name : names) {
    if (wide) {
      std::u16string w = U16(name);
      append(w.c_str(), (w.size() + 1) * sizeof(WCHAR));
    } else {
      append(name.c_str(), name.size() + 1);
    }
  }
  const WCHAR terminator = 0;
  append(&terminator, wide ? sizeof(WCHAR) : 1);
  return bytes;
}

// Owns a moveable global block holding the given bytes.
class GlobalBlock {
 public:
  explicit GlobalBlock(const std::vector<uint8_t> &bytes, UINT flags = GMEM_MOVEABLE)
      : handle_(GlobalAlloc(flags, bytes.size())) {
    void *p = GlobalLock(handle_);
    std::memcpy(p, bytes.data(), bytes.size());
    GlobalUnlock(handle_);
  }
  GlobalBlock(const GlobalBlock &) = delete;
  GlobalBlock &operator=(const GlobalBlock &) = delete;
  ~GlobalBlock() { GlobalFree(handle_); }
  HDROP drop() const { return reinterpret_cast<HDROP>(handle_); }
  HGLOBAL handle() const { return handle_; }

 private:
  HGLOBAL handle_;
};

const std::vector<std::string> kNames = {"/home/user/Backup 2011", "/tmp/a", "/srv/caf\xc3\xa9"};

std::string Query(HDROP drop, UINT index, UINT *result) {
  WCHAR buffer[MAX_PATH];
  std::memset(buffer, 0x55, sizeof buffer);
  *result = DragQueryFileW(drop, index, buffer, MAX_PATH);
  return *result ? U8(buffer) : std::string();
}

TEST(DropList, ReadsWideAndAnsiListsByHandleAndByLockedPointer) {
  for (bool wide : {true, false}) {
    SCOPED_TRACE(wide ? "wide" : "ANSI");
    // The ANSI list holds only ASCII names: their conversion does not depend on the code page.
    std::vector<std::string> names = kNames;
    if (!wide) names.back() = "/srv/plain";
    GlobalBlock block(DropList(names, wide));
    void *locked = GlobalLock(block.handle());
    for (HDROP drop : {block.drop(), static_cast<HDROP>(locked)}) {
      EXPECT_EQ(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), names.size());
      for (UINT i = 0; i < names.size(); ++i) {
        UINT result = 0;
        EXPECT_EQ(Query(drop, i, &result), names[i]);
        EXPECT_EQ(result, U16(names[i]).size());
        EXPECT_EQ(DragQueryFileW(drop, i, nullptr, 0), U16(names[i]).size()) << "no buffer: the length";
      }
      UINT result = 7;
      Query(drop, static_cast<UINT>(names.size()), &result);
      EXPECT_EQ(result, 0u) << "past the last name";
    }
    GlobalUnlock(block.handle());
  }
}

TEST(DropList, ShortBufferTruncatesAndReportsTheUnitsCopied) {
  GlobalBlock block(DropList(kNames, true));
  struct Case {
    UINT capacity;
    UINT result;
    const char *text;
  };
  for (const Case c : {Case{1, 0, ""}, Case{2, 1, "/"}, Case{6, 5, "/home"}, Case{23, 22, "/home/user/Backup 2011"},
                       Case{22, 21, "/home/user/Backup 201"}}) {
    SCOPED_TRACE(c.capacity);
    WCHAR buffer[32];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_EQ(DragQueryFileW(block.drop(), 0, buffer, c.capacity), c.result);
    EXPECT_EQ(U8(buffer), c.text);
    EXPECT_EQ(buffer[c.capacity], u'#') << "nothing beyond the capacity";
  }
}

TEST(DropList, MalformedBlocksGiveZero) {
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

TEST(DropList, EmptyListCountsZero) {
  GlobalBlock block(DropList({}, true));
  EXPECT_EQ(DragQueryFileW(block.drop(), 0xFFFFFFFF, nullptr, 0), 0u);
  UINT result = 1;
  Query(block.drop(), 0, &result);
  EXPECT_EQ(result, 0u);
}

TEST(DropList, SeamFailsOneIndexOnly) {
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

TEST(DropList, LeavesTheBlockUnlockedAndTheLastErrorAlone) {
  GlobalBlock block(DropList(kNames, true));
  SetLastError(1234);
  EXPECT_EQ(DragQueryFileW(block.drop(), 0xFFFFFFFF, nullptr, 0), 3u);
  EXPECT_EQ(GetLastError(), 1234u);
  EXPECT_FALSE(GlobalUnlock(block.handle())) << "the lock it took is released";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_LOCKED));
}

}  // namespace
