// The interface and class of the test in-process server.
#pragma once
#include <windows.h>
#include <objbase.h>

// {6A0F1B2C-3D4E-4F50-8A61-72B3C4D5E6F7}
constexpr CLSID kTestServerClass = {0x6A0F1B2C, 0x3D4E, 0x4F50, {0x8A, 0x61, 0x72, 0xB3, 0xC4, 0xD5, 0xE6, 0xF7}};
// {6A0F1B2C-3D4E-4F50-8A61-72B3C4D5E6F8}
constexpr IID kTestValueInterface = {0x6A0F1B2C, 0x3D4E, 0x4F50, {0x8A, 0x61, 0x72, 0xB3, 0xC4, 0xD5, 0xE6, 0xF8}};

struct ITestValue : public IUnknown {
  virtual LONG STDMETHODCALLTYPE Value() = 0;
};
