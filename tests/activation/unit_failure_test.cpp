// The failure convention: run-time error mapping, Win32 conversion, bounded copies.
#include <gtest/gtest.h>

#include <cstring>

#include "module/failure.h"
#include "platform_seams.h"

namespace {

// The HRESULT a call raised, or S_OK when it returned.
template <class Call>
HRESULT RaisedBy(Call call) {
  try {
    call();
  } catch (const CHresultException &exception) {
    return exception.Hresult();
  }
  return S_OK;
}

TEST(CheckRuntimeError, MapsEachErrorNumber) {
  struct Case {
    int code;
    HRESULT raised;  // S_OK: returned unchanged
  } cases[] = {{0, S_OK},           {80, S_OK},          {12, E_OUTOFMEMORY}, {22, E_INVALIDARG},
               {34, E_INVALIDARG},  {7, E_FAIL},         {-1, E_FAIL},        {1, E_FAIL}};
  for (const Case &c : cases) {
    int returned = -100;
    EXPECT_EQ(c.raised, RaisedBy([&] { returned = CheckRuntimeError(c.code); })) << c.code;
    if (c.raised == S_OK) {
      EXPECT_EQ(c.code, returned);
    }
  }
}

TEST(HresultFromWin32, ConvertsPositiveCodesOnly) {
  struct Case {
    LONG code;
    HRESULT result;
  } cases[] = {
      {0, S_OK},
      {5, static_cast<HRESULT>(0x80070005)},
      {2, static_cast<HRESULT>(0x80070002)},
      {1155, static_cast<HRESULT>(0x80070483)},
      {0x12345, static_cast<HRESULT>(0x80072345)},  // only the low 16 bits survive
      {static_cast<LONG>(E_OUTOFMEMORY), E_OUTOFMEMORY},
      {-1, -1},
  };
  for (const Case &c : cases) EXPECT_EQ(c.result, HresultFromWin32(c.code)) << c.code;
}

TEST(HresultFromLastError, ConvertsTheThreadsLastError) {
  SetLastError(0);
  EXPECT_EQ(S_OK, HresultFromLastError());
  SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_EQ(static_cast<HRESULT>(0x80070005), HresultFromLastError());
}

TEST(CheckedStringCopy, FitsOrRaisesAndClears) {
  struct Case {
    const char16_t *source;
    size_t capacity;
    HRESULT raised;
    std::u16string result;
  } cases[] = {
      {u"abc", 4, S_OK, u"abc"},
      {u"abc", 10, S_OK, u"abc"},
      {u"", 1, S_OK, u""},
      {u"abcd", 4, E_INVALIDARG, u""},  // no room for the NUL
      {nullptr, 4, E_INVALIDARG, u""},
  };
  for (const Case &c : cases) {
    char16_t buffer[16];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_EQ(c.raised, RaisedBy([&] { CheckedStringCopy(buffer, c.capacity, c.source); })) << c.capacity;
    EXPECT_EQ(c.result, std::u16string(buffer));
    EXPECT_EQ(u'#', buffer[c.capacity]) << "wrote beyond its capacity";
  }
  EXPECT_EQ(E_INVALIDARG, RaisedBy([] { CheckedStringCopy(nullptr, 4, u"a"); }));
  char16_t one[1] = {u'#'};
  EXPECT_EQ(E_INVALIDARG, RaisedBy([&] { CheckedStringCopy(one, 0, u"a"); }));
  EXPECT_EQ(u'#', one[0]);
}

TEST(CheckedStringAppend, AppendsOrRaisesAndClears) {
  struct Case {
    const char16_t *start;
    const char16_t *source;
    size_t capacity;
    HRESULT raised;
    std::u16string result;
  } cases[] = {
      {u" /o", u"C:\\", 7, S_OK, u" /oC:\\"},
      {u"", u"abc", 4, S_OK, u"abc"},
      {u"ab", u"cd", 4, E_INVALIDARG, u""},
      {u"abcd", u"", 4, E_INVALIDARG, u""},  // the destination itself is unterminated within capacity
      {u"ab", nullptr, 8, E_INVALIDARG, u""},
  };
  for (const Case &c : cases) {
    char16_t buffer[16];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    std::memcpy(buffer, c.start, (std::char_traits<char16_t>::length(c.start) + 1) * sizeof(char16_t));
    EXPECT_EQ(c.raised, RaisedBy([&] { CheckedStringAppend(buffer, c.capacity, c.source); })) << c.capacity;
    EXPECT_EQ(c.result, std::u16string(buffer));
  }
}

TEST(CheckedMemoryCopy, CopiesOrRaisesAndClears) {
  const char source[8] = {'1', '2', '3', '4', '5', '6', '7', '8'};
  struct Case {
    size_t destBytes;
    const void *src;
    size_t count;
    HRESULT raised;
    std::string result;  // the first four bytes afterwards
  } cases[] = {
      {4, source, 4, S_OK, "1234"},
      {4, source, 0, S_OK, "####"},
      {4, source, 5, E_INVALIDARG, std::string(4, '\0')},
      {4, nullptr, 2, E_INVALIDARG, std::string(4, '\0')},
  };
  for (const Case &c : cases) {
    char buffer[8];
    std::memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(c.raised, RaisedBy([&] { CheckedMemoryCopy(buffer, c.destBytes, c.src, c.count); })) << c.count;
    EXPECT_EQ(c.result, std::string(buffer, 4));
    EXPECT_EQ('#', buffer[4]);
  }
  EXPECT_EQ(E_INVALIDARG, RaisedBy([&] { CheckedMemoryCopy(nullptr, 4, source, 2); }));
}

}  // namespace
