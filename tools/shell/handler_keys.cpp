#include "handler_keys.h"

#include "registry_read.h"

const ClassesView kMergedClasses = {HKEY_CLASSES_ROOT, TEXT(""), "HKEY_CLASSES_ROOT"};
const ClassesView kMachineClasses = {HKEY_LOCAL_MACHINE, TEXT("Software\\Classes\\"),
                                     "HKEY_LOCAL_MACHINE\\Software\\Classes"};
const ClassesView kUserClasses = {HKEY_CURRENT_USER, TEXT("Software\\Classes\\"),
                                  "HKEY_CURRENT_USER\\Software\\Classes"};

namespace {

bool ParseClsid(const WideString &text, CLSID *out) {
  return !text.empty() && text[0] == u'{' && SUCCEEDED(CLSIDFromString(text.c_str(), out));
}

bool SameName(const WideString &a, const WideString &b) { return lstrcmpiW(a.c_str(), b.c_str()) == 0; }

void NoteUnusable(const HandlerKey &key, std::vector<HandlerKey> *unusable) {
  if (!unusable) return;
  for (const HandlerKey &known : *unusable)
    if (SameName(known.classKey, key.classKey) && SameName(known.name, key.name)) return;
  unusable->push_back(key);
}

}  // namespace

WideString FileExtension(const WideString &path) {
  const size_t slash = path.rfind(u'/');
  const size_t nameStart = slash == WideString::npos ? 0 : slash + 1;
  const size_t dot = path.rfind(u'.');
  if (dot == WideString::npos || dot < nameStart || dot + 1 == path.size()) return WideString();
  const WideString extension = path.substr(dot);
  // As the shell sees it, an extension holds no spaces.
  return extension.find(u' ') == WideString::npos ? extension : WideString();
}

std::vector<WideString> ApplicableClassKeys(const SelectedItem &item) {
  switch (item.kind) {
    case ItemKind::Directory: return {TEXT("Directory"), TEXT("Folder")};
    case ItemKind::Drive: return {TEXT("Drive"), TEXT("Folder")};
    default: break;
  }
  std::vector<WideString> keys = {TEXT("*")};
  const WideString extension = FileExtension(item.path);
  WideString progId;
  if (!extension.empty() && ReadString(HKEY_CLASSES_ROOT, extension, nullptr, &progId) == ERROR_SUCCESS &&
      !progId.empty() && progId != TEXT("*") && KeyExists(HKEY_CLASSES_ROOT, progId))
    keys.push_back(progId);
  return keys;
}

bool HandlerKeyClsid(const WideString &value, const WideString &name, CLSID *out) {
  return ParseClsid(value, out) || ParseClsid(name, out);
}

bool ItemHasHandler(const SelectedItem &item, const CLSID &clsid) {
  for (const WideString &classKey : ApplicableClassKeys(item))
    for (const HandlerKey &key : ReadHandlerKeys(kMergedClasses, classKey))
      if (key.hasClsid && IsEqualCLSID(key.clsid, clsid)) return true;
  return false;
}

WideString HandlersPath(const WideString &classKey) { return classKey + TEXT("\\ShellEx\\ContextMenuHandlers"); }

std::vector<HandlerKey> ReadHandlerKeys(const ClassesView &view, const WideString &classKey) {
  std::vector<HandlerKey> keys;
  const WideString path = view.prefix + HandlersPath(classKey);
  for (const WideString &name : SubkeyNames(view.root, path)) {
    HandlerKey key;
    key.classKey = classKey;
    key.name = name;
    ReadString(view.root, path + TEXT("\\") + name, nullptr, &key.value);
    key.hasClsid = HandlerKeyClsid(key.value, name, &key.clsid);
    keys.push_back(std::move(key));
  }
  return keys;
}

std::vector<HandlerKey> SelectionHandlers(const std::vector<SelectedItem> &items, std::vector<HandlerKey> *unusable) {
  std::vector<HandlerKey> handlers;
  if (items.empty()) return handlers;
  for (const WideString &classKey : ApplicableClassKeys(items[0])) {
    for (const HandlerKey &key : ReadHandlerKeys(kMergedClasses, classKey)) {
      if (!key.hasClsid) {
        NoteUnusable(key, unusable);
        continue;
      }
      bool known = false;
      for (const HandlerKey &handler : handlers) known = known || IsEqualCLSID(handler.clsid, key.clsid);
      if (known) continue;
      bool everywhere = true;
      for (size_t i = 1; i < items.size() && everywhere; ++i) everywhere = ItemHasHandler(items[i], key.clsid);
      if (everywhere) handlers.push_back(key);
    }
  }
  return handlers;
}

WideString ClsidText(const CLSID &clsid) {
  WCHAR text[39];
  if (StringFromGUID2(clsid, text, 39) == 0) return WideString();
  return text;
}
