// Values and layouts that host code depends on, compiled twice: against the
// substitute's headers in the Linux build and against MinGW-w64's SDK headers
// in the Windows test tree. A number or layout that differs between the two
// fails one of the builds. Offsets are given for 4- and 8-byte pointers.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstddef>

namespace {

constexpr bool kNarrow = sizeof(void *) == 4;
constexpr size_t ByPointer(size_t narrow, size_t wide) { return kNarrow ? narrow : wide; }

// Context-menu invocation.
static_assert(CMIC_MASK_HOTKEY == 0x20 && CMIC_MASK_FLAG_NO_UI == 0x400 && CMIC_MASK_UNICODE == 0x4000 &&
              CMIC_MASK_NO_CONSOLE == 0x8000 && CMIC_MASK_ASYNCOK == 0x100000 && CMIC_MASK_NOASYNC == 0x100 &&
              CMIC_MASK_SHIFT_DOWN == 0x10000000 && CMIC_MASK_CONTROL_DOWN == 0x40000000 &&
              CMIC_MASK_FLAG_LOG_USAGE == 0x4000000 && CMIC_MASK_NOZONECHECKS == 0x800000 &&
              CMIC_MASK_PTINVOKE == 0x20000000);
static_assert(offsetof(CMINVOKECOMMANDINFO, hwnd) == 8 && offsetof(CMINVOKECOMMANDINFO, lpVerb) == ByPointer(12, 16) &&
              offsetof(CMINVOKECOMMANDINFO, nShow) == ByPointer(24, 40) &&
              offsetof(CMINVOKECOMMANDINFO, hIcon) == ByPointer(32, 48) &&
              sizeof(CMINVOKECOMMANDINFO) == ByPointer(36, 56));
static_assert(offsetof(CMINVOKECOMMANDINFOEX, hIcon) == offsetof(CMINVOKECOMMANDINFO, hIcon) &&
              offsetof(CMINVOKECOMMANDINFOEX, lpTitle) == ByPointer(36, 56) &&
              offsetof(CMINVOKECOMMANDINFOEX, lpVerbW) == ByPointer(40, 64) &&
              offsetof(CMINVOKECOMMANDINFOEX, lpTitleW) == ByPointer(52, 88) &&
              offsetof(CMINVOKECOMMANDINFOEX, ptInvoke) == ByPointer(56, 96) &&
              sizeof(CMINVOKECOMMANDINFOEX) == ByPointer(64, 104));

// Menus.
static_assert(MIIM_STATE == 1 && MIIM_ID == 2 && MIIM_SUBMENU == 4 && MIIM_CHECKMARKS == 8 && MIIM_TYPE == 0x10 &&
              MIIM_DATA == 0x20 && MIIM_STRING == 0x40 && MIIM_BITMAP == 0x80 && MIIM_FTYPE == 0x100);
static_assert(MFT_STRING == 0 && MFT_BITMAP == 4 && MFT_SEPARATOR == 0x800 && MFT_OWNERDRAW == 0x100 &&
              MFT_RADIOCHECK == 0x200 && MFS_GRAYED == 3 && MFS_DISABLED == 3 && MFS_CHECKED == 8 &&
              MFS_HILITE == 0x80 && MFS_DEFAULT == 0x1000);
static_assert(offsetof(MENUITEMINFOW, hSubMenu) == ByPointer(20, 24) &&
              offsetof(MENUITEMINFOW, dwItemData) == ByPointer(32, 48) &&
              offsetof(MENUITEMINFOW, cch) == ByPointer(40, 64) && sizeof(MENUITEMINFOW) == ByPointer(48, 80));

// Results: constant expressions, usable as case labels.
static_assert(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) == static_cast<HRESULT>(0x80070002) &&
              HRESULT_FROM_WIN32(ERROR_SUCCESS) == S_OK);
static_assert(MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x200) == static_cast<HRESULT>(0x80040200));
static_assert(HRESULT_CODE(E_ACCESSDENIED) == 5 && HRESULT_FACILITY(E_ACCESSDENIED) == FACILITY_WIN32 &&
              HRESULT_SEVERITY(E_ACCESSDENIED) == 1 && SCODE_CODE(E_FAIL) == 0x4005 &&
              SCODE_FACILITY(E_NOINTERFACE) == FACILITY_NULL && SCODE_SEVERITY(S_FALSE) == 0);
static_assert(IS_ERROR(E_FAIL) && !IS_ERROR(S_FALSE) && FAILED(E_FAIL) && SUCCEEDED(S_FALSE));
[[maybe_unused]] int Classify(HRESULT hr) {
  switch (hr) {
    case HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED): return 1;
    default: return 0;
  }
}

// The registry.
static_assert(REG_NONE == 0 && REG_SZ == 1 && REG_EXPAND_SZ == 2 && REG_BINARY == 3 && REG_DWORD == 4 &&
              REG_DWORD_BIG_ENDIAN == 5 && REG_LINK == 6 && REG_MULTI_SZ == 7 && REG_RESOURCE_LIST == 8 &&
              REG_FULL_RESOURCE_DESCRIPTOR == 9 && REG_RESOURCE_REQUIREMENTS_LIST == 10 && REG_QWORD == 11);
static_assert(KEY_READ == 0x20019 && KEY_WRITE == 0x20006 && KEY_EXECUTE == 0x20019 && KEY_ALL_ACCESS == 0xF003F &&
              KEY_WOW64_64KEY == 0x100 && KEY_WOW64_32KEY == 0x200);
static_assert(RRF_RT_REG_SZ == 2 && RRF_RT_DWORD == 0x18 && RRF_RT_QWORD == 0x48 && RRF_RT_ANY == 0xFFFF &&
              RRF_NOEXPAND == 0x10000000 && RRF_ZEROONFAILURE == 0x20000000);
[[maybe_unused]] const HKEY kRoots[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS,
                                        HKEY_PERFORMANCE_DATA, HKEY_PERFORMANCE_TEXT, HKEY_PERFORMANCE_NLSTEXT,
                                        HKEY_CURRENT_CONFIG};

// Resources.
[[maybe_unused]] bool IsId(LPCWSTR name) { return IS_INTRESOURCE(name); }
[[maybe_unused]] const LPSTR kNarrowId = MAKEINTRESOURCEA(1);
[[maybe_unused]] const LPWSTR kWideId = MAKEINTRESOURCEW(1);

// Bitmap files and objects.
static_assert(BI_RGB == 0 && BI_RLE8 == 1 && BI_RLE4 == 2 && BI_BITFIELDS == 3 && BI_JPEG == 4 && BI_PNG == 5);
static_assert(OBJ_BITMAP == 7 && IMAGE_BITMAP == 0 && LR_LOADFROMFILE == 0x10 && LR_LOADTRANSPARENT == 0x20);
static_assert(sizeof(BITMAPFILEHEADER) == 14 && offsetof(BITMAPFILEHEADER, bfSize) == 2 &&
              offsetof(BITMAPFILEHEADER, bfOffBits) == 10);
static_assert(sizeof(BITMAPINFOHEADER) == 40 && offsetof(BITMAPINFOHEADER, biCompression) == 16 &&
              offsetof(BITMAPINFOHEADER, biClrUsed) == 32);
static_assert(sizeof(BITMAPCOREHEADER) == 12 && sizeof(BITMAPV4HEADER) == 108 && sizeof(BITMAPV5HEADER) == 124);
static_assert(sizeof(RGBQUAD) == 4 && offsetof(RGBQUAD, rgbRed) == 2 && sizeof(BITMAPINFO) == 44);
static_assert(offsetof(BITMAP, bmPlanes) == 16 && offsetof(BITMAP, bmBits) == ByPointer(20, 24) &&
              sizeof(BITMAP) == ByPointer(24, 32));

}  // namespace
