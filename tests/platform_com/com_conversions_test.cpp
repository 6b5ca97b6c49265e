// GUID text forms and VarUI4FromStr.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include "support/text.h"

using testing_text::U16;
using testing_text::WideString;
using testing_text::U8;

namespace {

constexpr GUID kSample = {0x0002E005, 0x00AB, 0xCDEF, {0xC0, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0x46}};

TEST(StringFromGuid2, WritesBracedUpperCaseTextOnlyWhenItFits) {
  struct Case {
    int capacity;
    int result;
  };
  for (const Case c : {Case{64, 39}, Case{39, 39}, Case{38, 0}, Case{0, 0}}) {
    SCOPED_TRACE(c.capacity);
    WideString buffer(64, TEXT('#'));
    EXPECT_EQ(StringFromGUID2(kSample, buffer.data(), c.capacity), c.result);
    if (c.result) {
      EXPECT_EQ(U8(buffer.c_str()), "{0002E005-00AB-CDEF-C001-23456789AB46}");
    } else {
      EXPECT_EQ(buffer[0], TEXT('#')) << "nothing is written when the text does not fit";
    }
  }
}

TEST(ClsidFromString, ParsesTheBracedFormAndRejectsOthers) {
  CLSID parsed{};
  ASSERT_EQ(CLSIDFromString(U16("{0002e005-00ab-cdef-c001-23456789ab46}").c_str(), &parsed), S_OK);
  EXPECT_TRUE(IsEqualGUID(parsed, kSample));
  for (const char *bad : {"", "0002E005-00AB-CDEF-C001-23456789AB46", "{0002E005-00AB-CDEF-C001-23456789AB4}",
                          "{0002E005-00AB-CDEF-C001-23456789AB46}x", "{0002E005+00AB-CDEF-C001-23456789AB46}",
                          "{0002E00G-00AB-CDEF-C001-23456789AB46}"}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(CLSIDFromString(U16(bad).c_str(), &parsed), CO_E_CLASSSTRING);
  }
  EXPECT_EQ(CLSIDFromString(U16("{0002E005-00AB-CDEF-C001-23456789AB46}").c_str(), nullptr), E_INVALIDARG);
}

TEST(VarUi4FromStr, ConvertsAsAutomationDoes) {
  struct Case {
    const char *text;
    HRESULT result;
    ULONG value;
  };
  const Case cases[] = {
      {"0", S_OK, 0},
      {"42", S_OK, 42},
      {"  42\t", S_OK, 42},
      {"+7", S_OK, 7},
      {"007", S_OK, 7},
      {"4294967295", S_OK, 0xFFFFFFFFu},
      {"4294967296", DISP_E_OVERFLOW, 0},
      {"99999999999999999999999", DISP_E_OVERFLOW, 0},
      {"-1", DISP_E_OVERFLOW, 0},
      {"-0", S_OK, 0},
      {"-0.4", S_OK, 0},
      {"1.5", S_OK, 2},
      {"2.5", S_OK, 2},
      {"2.51", S_OK, 3},
      {"3.5", S_OK, 4},
      {"0.49999", S_OK, 0},
      {".5", S_OK, 0},
      {"4294967295.4", S_OK, 0xFFFFFFFFu},
      {"4294967295.5", DISP_E_OVERFLOW, 0},
      {"1e3", S_OK, 1000},
      {"25E-1", S_OK, 2},
      {"1e10", DISP_E_OVERFLOW, 0},
      {"&H1F", S_OK, 31},
      {"&hff", S_OK, 255},
      {" &HFFFFFFFF ", S_OK, 0xFFFFFFFFu},
      {"&H100000000", DISP_E_OVERFLOW, 0},
      {"&O17", S_OK, 15},
      {"&o37777777777", S_OK, 0xFFFFFFFFu},
      {"&O8", DISP_E_TYPEMISMATCH, 0},
      {"&H", DISP_E_TYPEMISMATCH, 0},
      {"&HG", DISP_E_TYPEMISMATCH, 0},
      {"", DISP_E_TYPEMISMATCH, 0},
      {"   ", DISP_E_TYPEMISMATCH, 0},
      {"abc", DISP_E_TYPEMISMATCH, 0},
      {"12abc", DISP_E_TYPEMISMATCH, 0},
      {"1 2", DISP_E_TYPEMISMATCH, 0},
      {"-", DISP_E_TYPEMISMATCH, 0},
      {".", DISP_E_TYPEMISMATCH, 0},
      {"1e", DISP_E_TYPEMISMATCH, 0},
      {"0x10", DISP_E_TYPEMISMATCH, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.text);
    ULONG value = 0xDEADBEEF;
    EXPECT_EQ(VarUI4FromStr(const_cast<LPOLESTR>(U16(c.text).c_str()), 0, 0, &value), c.result);
    EXPECT_EQ(value, c.result == S_OK ? c.value : 0xDEADBEEF) << "a failed conversion leaves the result alone";
  }
}

TEST(VarUi4FromStr, NullTextIsATypeMismatch) {
  ULONG value = 7;
  EXPECT_EQ(VarUI4FromStr(nullptr, 0, 0, &value), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(value, 7u);
}

}  // namespace
