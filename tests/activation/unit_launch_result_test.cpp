// The HRESULT of a program launch.
#include <gtest/gtest.h>

#include <shellapi.h>

#include "shellext/launch_result.h"

namespace {

TEST(HresultFromShellExecute, EachResult) {
  struct Case {
    INT_PTR result;
    HRESULT hr;
  } cases[] = {
      {33, S_OK},
      {42, S_OK},
      {0, E_OUTOFMEMORY},
      {SE_ERR_FNF, static_cast<HRESULT>(0x80070002)},
      {SE_ERR_PNF, static_cast<HRESULT>(0x80070003)},
      {SE_ERR_ACCESSDENIED, static_cast<HRESULT>(0x80070005)},
      {SE_ERR_OOM, static_cast<HRESULT>(0x80070008)},
      {ERROR_BAD_FORMAT, static_cast<HRESULT>(0x8007000B)},
      {SE_ERR_SHARE, static_cast<HRESULT>(0x80070020)},
      {SE_ERR_ASSOCINCOMPLETE, static_cast<HRESULT>(0x80070483)},
      {SE_ERR_NOASSOC, static_cast<HRESULT>(0x80070483)},
      {SE_ERR_DDETIMEOUT, static_cast<HRESULT>(0x80070484)},
      {SE_ERR_DDEFAIL, static_cast<HRESULT>(0x80070484)},
      {SE_ERR_DDEBUSY, static_cast<HRESULT>(0x80070484)},
      {SE_ERR_DLLNOTFOUND, static_cast<HRESULT>(0x80070485)},
      {1, E_FAIL},
      {4, E_FAIL},
      {25, E_FAIL},
  };
  for (const Case &c : cases)
    EXPECT_EQ(c.hr, HresultFromShellExecute(reinterpret_cast<HINSTANCE>(c.result))) << c.result;
}

}  // namespace
