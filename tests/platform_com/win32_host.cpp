// A small host written as ordinary Win32 code, against the SDK's names only:
// it builds a drop list, reads it back, fills a menu, loads a bitmap, starts a
// program and creates a standard COM object. Exits 0 when all of it works.
#include <windows.h>
#include <shlobj.h>
#include <comcat.h>

#include <stdio.h>
#include <string.h>

static int failures = 0;

static void Check(BOOL ok, const char *what) {
  if (!ok) {
    printf("FAILED: %s (last error %lu)\n", what, (unsigned long)GetLastError());
    ++failures;
  }
}

static HGLOBAL BuildDropList(void) {
  static const WCHAR names[] = TEXT("C:\\Backup 2011\0D:\\Other\0");
  const SIZE_T bytes = sizeof(DROPFILES) + sizeof(names);
  HGLOBAL block = GlobalAlloc(GHND, bytes);
  if (!block) return NULL;
  DROPFILES *drop = (DROPFILES *)GlobalLock(block);
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  memcpy((BYTE *)drop + sizeof(DROPFILES), names, sizeof(names));
  GlobalUnlock(block);
  return block;
}

static void DropList(void) {
  HGLOBAL block = BuildDropList();
  Check(block != NULL, "GlobalAlloc");
  STGMEDIUM medium;
  ZeroMemory(&medium, sizeof(medium));
  medium.tymed = TYMED_HGLOBAL;
  medium.hGlobal = block;
  HDROP drop = (HDROP)GlobalLock(medium.hGlobal);
  Check(DragQueryFile(drop, 0xFFFFFFFF, NULL, 0) == 2, "DragQueryFile count");
  WCHAR path[MAX_PATH];
  Check(DragQueryFile(drop, 0, path, MAX_PATH) == 14 && lstrcmpi(path, TEXT("c:\\backup 2011")) == 0,
        "DragQueryFile name");
  GlobalUnlock(medium.hGlobal);
  ReleaseStgMedium(&medium);
}

static void Menu(void) {
  HMENU menu = CreatePopupMenu();
  MENUITEMINFO mii;
  ZeroMemory(&mii, sizeof(mii));
  mii.cbSize = sizeof(mii);
  mii.fMask = MIIM_ID | MIIM_TYPE;
  mii.fType = MFT_STRING;
  mii.wID = 100;
  mii.dwTypeData = (LPWSTR)TEXT("Paste with Tovin Copy");
  mii.cch = 21;
  Check(InsertMenuItem(menu, 0, TRUE, &mii), "InsertMenuItem");
  Check(GetMenuItemCount(menu) == 1, "GetMenuItemCount");
  WCHAR text[64];
  mii.dwTypeData = text;
  mii.cch = ARRAYSIZE(text);
  Check(GetMenuItemInfo(menu, 100, FALSE, &mii) && mii.cch == 21, "GetMenuItemInfo");
  Check(DestroyMenu(menu), "DestroyMenu");
}

static void Image(void) {
  HBITMAP bitmap = (HBITMAP)LoadImage(NULL, TEXT("/nonexistent.bmp"), IMAGE_BITMAP, 0, 0,
                                      LR_LOADFROMFILE | LR_LOADTRANSPARENT);
  Check(bitmap == NULL && GetLastError() == ERROR_FILE_NOT_FOUND, "LoadImage of a missing file");
  if (bitmap) DeleteObject(bitmap);
}

static void Launch(void) {
  WCHAR program[MAX_PATH];
  Check(MultiByteToWideChar(CP_UTF8, 0, ECHO_ARGS_PATH, -1, program, MAX_PATH) > 0, "MultiByteToWideChar");
  HINSTANCE result = ShellExecute(NULL, TEXT("Open"), program, TEXT(" /oC:\\Backup 2011"), NULL, SW_SHOW);
  Check((INT_PTR)result > 32, "ShellExecute");
}

static void Com(void) {
  HRESULT hr = CoInitialize(NULL);
  Check(SUCCEEDED(hr), "CoInitialize");
  ICatRegister *categories = NULL;
  hr = CoCreateInstance(CLSID_StdComponentCategoriesMgr, NULL, CLSCTX_INPROC_SERVER, IID_ICatRegister,
                        (void **)&categories);
  Check(SUCCEEDED(hr), "CoCreateInstance");
  if (categories) categories->Release();
  WCHAR text[64];
  Check(StringFromGUID2(IID_IUnknown, text, ARRAYSIZE(text)) == 39, "StringFromGUID2");
  ULONG number = 0;
  Check(VarUI4FromStr(TEXT("&H10"), 0, 0, &number) == S_OK && number == 16, "VarUI4FromStr");
  CoUninitialize();
}

int main(void) {
  DropList();
  Menu();
  Image();
  Launch();
  Com();
  if (failures == 0) printf("win32_host: all checks passed\n");
  return failures == 0 ? 0 : 1;
}
