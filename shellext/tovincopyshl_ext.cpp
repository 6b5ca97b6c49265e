#include "shellext/tovincopyshl_ext.h"

#include "module/tovincopyshl_module.h"

namespace {

// The "REGISTRY" resource with the class's keys and its handler keys.
constexpr UINT kClassScript = 102;

const InterfaceMapEntry extensionInterfaceMap[] = {
    {&IID_IShellExtInit, InterfaceOffset<IShellExtInit, CTovinCopyShlExt>(), SimpleInterfaceRow()},
    {&IID_IContextMenu, InterfaceOffset<IContextMenu, CTovinCopyShlExt>(), SimpleInterfaceRow()},
    {nullptr, 0, nullptr},
};

}  // namespace

CTovinCopyShlExt::CTovinCopyShlExt() { targetPath[0] = 0; }

const InterfaceMapEntry *CTovinCopyShlExt::GetInterfaceMap() { return extensionInterfaceMap; }

HRESULT WINAPI CTovinCopyShlExt::UpdateRegistry(BOOL registering) {
  return tovincopyshlModule.ApplyScriptResource(kClassScript, registering);
}

void CTovinCopyShlExt::FinalRelease() { menuBitmaps_.DeleteAll(); }
