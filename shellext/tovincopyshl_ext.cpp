#include "shellext/tovincopyshl_ext.h"

#include "module/tovincopyshl_module.h"
#include "resources/resource.h"

namespace {

const InterfaceMapEntry extensionInterfaceMap[] = {
    {&IID_IShellExtInit, InterfaceOffset<IShellExtInit, CTovinCopyShlExt>(), SimpleInterfaceRow()},
    {&IID_IContextMenu, InterfaceOffset<IContextMenu, CTovinCopyShlExt>(), SimpleInterfaceRow()},
    {nullptr, 0, nullptr},
};

}  // namespace

CTovinCopyShlExt::CTovinCopyShlExt() { targetPath[0] = 0; }

const InterfaceMapEntry *CTovinCopyShlExt::GetInterfaceMap() { return extensionInterfaceMap; }

HRESULT WINAPI CTovinCopyShlExt::UpdateRegistry(BOOL registering) {
  return tovincopyshlModule.ApplyScriptResource(IDR_CLASS_SCRIPT, registering);
}

void CTovinCopyShlExt::FinalRelease() { menuBitmaps_.DeleteAll(); }
