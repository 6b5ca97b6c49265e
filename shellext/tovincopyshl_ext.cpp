#include "shellext/tovincopyshl_ext.h"

namespace {

const InterfaceMapEntry extensionInterfaceMap[] = {
    {&IID_IShellExtInit, InterfaceOffset<IShellExtInit, CTovinCopyShlExt>(), SimpleInterfaceRow()},
    {&IID_IContextMenu, InterfaceOffset<IContextMenu, CTovinCopyShlExt>(), SimpleInterfaceRow()},
    {nullptr, 0, nullptr},
};

}  // namespace

CTovinCopyShlExt::CTovinCopyShlExt() { targetPath[0] = 0; }

const InterfaceMapEntry *CTovinCopyShlExt::GetInterfaceMap() { return extensionInterfaceMap; }

// Placeholder until the library runs its own registry scripts: registration
// of the class is not available yet.
HRESULT WINAPI CTovinCopyShlExt::UpdateRegistry(BOOL /*registering*/) { return E_NOTIMPL; }

void CTovinCopyShlExt::FinalRelease() { menuBitmaps_.DeleteAll(); }
