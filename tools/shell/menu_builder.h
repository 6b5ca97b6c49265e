// Activating the selection's context-menu handlers and letting each add its
// items to one popup menu, as the file manager does.
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <ostream>
#include <vector>

#include "handler_keys.h"
#include "selection.h"

namespace tools {

// The command identifiers handed out to handlers.
constexpr UINT kFirstCommandId = 1;
constexpr UINT kLastCommandId = 0x7FFF;

// The outcome of activating one handler.
struct Activation {
  HRESULT create = E_FAIL;       // CoCreateInstance(CLSCTX_INPROC_SERVER, IID_IShellExtInit)
  HRESULT initialize = E_FAIL;   // IShellExtInit::Initialize with the selection
  HRESULT query = E_FAIL;        // QueryInterface(IID_IContextMenu)
  IContextMenu *menu = nullptr;  // on success: a reference the caller releases
};

// Creates the handler `clsid`, initialises it with `selection` and asks it
// for IContextMenu. Each step runs only when the one before succeeded; the
// steps not run keep E_FAIL.
Activation ActivateHandler(const CLSID &clsid, IDataObject *selection);

// One handler that added items: its command identifiers are
// [idFirst, idFirst + idCount).
struct MenuHandler {
  HandlerKey key;
  IContextMenu *menu = nullptr;  // owned reference
  UINT idFirst = 0;
  UINT idCount = 0;
};

// A popup menu and the handlers whose items it holds. Releases the handlers
// and destroys the menu on destruction.
class ContextMenu {
 public:
  ContextMenu();
  ~ContextMenu();
  ContextMenu(const ContextMenu &) = delete;
  ContextMenu &operator=(const ContextMenu &) = delete;

  // Null when the menu could not be created.
  HMENU menu() const { return menu_; }
  const std::vector<MenuHandler> &handlers() const { return handlers_; }
  // The handler that owns command identifier `id`, or null.
  const MenuHandler *OwnerOf(UINT id) const;

  // Asks `handler` to add its items at the end of the menu with the next free
  // identifiers and `flags`. Takes over the caller's reference: keeps it when
  // items were added, releases it otherwise. Returns QueryContextMenu's
  // result, or E_OUTOFMEMORY when no identifiers are left.
  HRESULT Add(const HandlerKey &key, IContextMenu *handler, UINT flags);

 private:
  HMENU menu_ = nullptr;
  std::vector<MenuHandler> handlers_;
  UINT nextId_ = kFirstCommandId;
};

// Builds the context menu of `items` into *menu with QueryContextMenu flags
// `flags`. A handler that cannot be activated, initialised or asked for its
// items is reported on `errors` and skipped. Returns false (reported on
// `errors`) only when the menu or the selection's data object cannot be made.
bool BuildContextMenu(const std::vector<SelectedItem> &items, UINT flags, ContextMenu *menu, std::ostream &errors);

}  // namespace tools
