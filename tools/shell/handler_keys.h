// Which context-menu handler keys apply to a selection, and what a handler
// key holds.
//
// The class keys that apply to one item, in the order the shell consults them:
//   a file       "*", then the ProgID named by the default value of its
//                extension's key (HKCR\.ext), when that ProgID's key exists;
//   a directory  "Directory", "Folder";
//   a drive      "Drive", "Folder".
// Each class key's handlers are the subkeys of <class>\ShellEx\ContextMenuHandlers.
//
// For a selection of several items a handler shows when every item has a
// handler key, under one of the class keys that apply to it, naming the
// handler's CLSID. The handlers come in the order they are met walking the
// first item's class keys and each key's handlers in enumeration order; each
// CLSID once.
#pragma once
#include <windows.h>
#include <objbase.h>

#include <vector>

#include "selection.h"
#include "wide_text.h"

namespace tools {

// Where classes are read: HKEY_CLASSES_ROOT (per-user entries winning over the
// machine's), or one of its two halves directly.
struct ClassesView {
  HKEY root;
  const WCHAR *prefix;  // the path of the classes below root, ending in '\' (or empty)
  const char *name;     // for reports
};
extern const ClassesView kMergedClasses;   // HKEY_CLASSES_ROOT
extern const ClassesView kMachineClasses;  // HKEY_LOCAL_MACHINE\Software\Classes
extern const ClassesView kUserClasses;     // HKEY_CURRENT_USER\Software\Classes

// A file name's extension with its dot (".txt"), or empty when it has none.
std::u16string FileExtension(const std::u16string &path);

// The class keys that apply to `item`, read through HKEY_CLASSES_ROOT.
std::vector<std::u16string> ApplicableClassKeys(const SelectedItem &item);

// One subkey of <class>\ShellEx\ContextMenuHandlers.
struct HandlerKey {
  std::u16string classKey;
  std::u16string name;
  std::u16string value;       // the default value; empty when missing
  bool hasClsid = false;  // the value, else the name, is a CLSID in braces
  CLSID clsid = {};
};

// The CLSID a handler key names: its default value, else its name, when that
// is a CLSID in braces. Returns false when neither is.
bool HandlerKeyClsid(const std::u16string &value, const std::u16string &name, CLSID *out);

// True when some handler key of `item`, read through HKEY_CLASSES_ROOT, names `clsid`.
bool ItemHasHandler(const SelectedItem &item, const CLSID &clsid);

// "<classKey>\ShellEx\ContextMenuHandlers".
std::u16string HandlersPath(const std::u16string &classKey);

// The handler keys of `classKey` in `view`, in enumeration order.
std::vector<HandlerKey> ReadHandlerKeys(const ClassesView &view, const std::u16string &classKey);

// The handlers of the selection by the rule above, read through
// HKEY_CLASSES_ROOT. Handler keys that name no CLSID are appended to
// *unusable (each class key and name once) when it is not null.
std::vector<HandlerKey> SelectionHandlers(const std::vector<SelectedItem> &items, std::vector<HandlerKey> *unusable);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
std::u16string ClsidText(const CLSID &clsid);

}  // namespace tools
