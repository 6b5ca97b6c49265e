#include "menu_builder.h"

#include "drop_data_object.h"
#include "hresult_text.h"

namespace tools {

namespace {

std::string HandlerName(const HandlerKey &key) {
  return Narrow(key.name) + " " + Narrow(ClsidText(key.clsid)) + " (" + Narrow(key.classKey) + ")";
}

}  // namespace

Activation ActivateHandler(const CLSID &clsid, IDataObject *selection) {
  Activation result;
  IShellExtInit *init = nullptr;
  result.create =
      CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit, reinterpret_cast<void **>(&init));
  if (FAILED(result.create) || !init) {
    if (SUCCEEDED(result.create)) result.create = E_NOINTERFACE;
    return result;
  }
  result.initialize = init->Initialize(nullptr, selection, nullptr);
  if (SUCCEEDED(result.initialize)) {
    result.query = init->QueryInterface(IID_IContextMenu, reinterpret_cast<void **>(&result.menu));
    if (SUCCEEDED(result.query) && !result.menu) result.query = E_NOINTERFACE;
    if (FAILED(result.query)) result.menu = nullptr;
  }
  init->Release();
  return result;
}

ContextMenu::ContextMenu() : menu_(CreatePopupMenu()) {}

ContextMenu::~ContextMenu() {
  for (MenuHandler &handler : handlers_) handler.menu->Release();
  if (menu_) DestroyMenu(menu_);
}

const MenuHandler *ContextMenu::OwnerOf(UINT id) const {
  for (const MenuHandler &handler : handlers_)
    if (id >= handler.idFirst && id - handler.idFirst < handler.idCount) return &handler;
  return nullptr;
}

HRESULT ContextMenu::Add(const HandlerKey &key, IContextMenu *handler, UINT flags) {
  if (nextId_ > kLastCommandId) {
    handler->Release();
    return E_OUTOFMEMORY;
  }
  const int count = GetMenuItemCount(menu_);
  const UINT position = count < 0 ? 0 : static_cast<UINT>(count);
  const HRESULT hr = handler->QueryContextMenu(menu_, position, nextId_, kLastCommandId, flags);
  // The code of a successful result is the number of identifiers used.
  const UINT used = SUCCEEDED(hr) ? HRESULT_CODE(hr) : 0;
  if (used == 0) {
    handler->Release();
    return hr;
  }
  try {
    handlers_.push_back(MenuHandler{key, handler, nextId_, used});
  } catch (...) {
    handler->Release();
    return E_OUTOFMEMORY;
  }
  nextId_ += used;
  return hr;
}

bool BuildContextMenu(const std::vector<SelectedItem> &items, UINT flags, ContextMenu *menu, std::ostream &errors) {
  if (!menu->menu()) {
    errors << "shell: CreatePopupMenu failed: " << Win32ErrorText(GetLastError()) << "\n";
    return false;
  }
  std::vector<std::u16string> paths;
  for (const SelectedItem &item : items) paths.push_back(item.path);
  IDataObject *selection = nullptr;
  if (HRESULT hr = CreateDropDataObject(paths, &selection); FAILED(hr)) {
    errors << "shell: the selection's data object: " << DescribeHresult(hr) << "\n";
    return false;
  }
  std::vector<HandlerKey> unusable;
  const std::vector<HandlerKey> handlers = SelectionHandlers(items, &unusable);
  for (const HandlerKey &key : unusable)
    errors << "shell: skipped handler key " << Narrow(key.classKey) << "\\ShellEx\\ContextMenuHandlers\\"
           << Narrow(key.name) << ": it names no CLSID\n";
  for (const HandlerKey &key : handlers) {
    const Activation activation = ActivateHandler(key.clsid, selection);
    if (FAILED(activation.create)) {
      errors << "shell: skipped handler " << HandlerName(key)
             << ": CoCreateInstance: " << DescribeHresult(activation.create) << "\n";
      continue;
    }
    if (FAILED(activation.initialize)) {
      errors << "shell: skipped handler " << HandlerName(key)
             << ": Initialize: " << DescribeHresult(activation.initialize) << "\n";
      continue;
    }
    if (FAILED(activation.query)) {
      errors << "shell: skipped handler " << HandlerName(key)
             << ": no IContextMenu: " << DescribeHresult(activation.query) << "\n";
      continue;
    }
    if (HRESULT hr = menu->Add(key, activation.menu, flags); FAILED(hr))
      errors << "shell: skipped handler " << HandlerName(key) << ": QueryContextMenu: " << DescribeHresult(hr) << "\n";
  }
  selection->Release();
  return true;
}

}  // namespace tools
