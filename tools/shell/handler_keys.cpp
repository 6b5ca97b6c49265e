#include "handler_keys.h"

#include "registry_read.h"

namespace tools {

const ClassesView kMergedClasses = {HKEY_CLASSES_ROOT, TEXT(""), "HKEY_CLASSES_ROOT"};
const ClassesView kMachineClasses = {HKEY_LOCAL_MACHINE, TEXT("Software\\Classes\\"),
                                     "HKEY_LOCAL_MACHINE\\Software\\Classes"};
const ClassesView kUserClasses = {HKEY_CURRENT_USER, TEXT("Software\\Classes\\"),
                                  "HKEY_CURRENT_USER\\Software\\Classes"};

namespace {

bool ParseClsid(const std::u16string &text, CLSID *out) {
  return !text.empty() && text[0] == u'{' && SUCCEEDED(CLSIDFromString(text.c_str(), out));
}

bool SameName(const std::u16string &a, const std::u16string &b) { return lstrcmpiW(a.c_str(), b.c_str()) == 0; }

void NoteUnusable(const HandlerKey &key, std::vector<HandlerKey> *unusable) {
  if (!unusable) return;
  for (const HandlerKey &known : *unusable)
    if (SameName(known.classKey, key.classKey) && SameName(known.name, key.name)) return;
  unusable->push_back(key);
}

}  // namespace

std::u16string FileExtension(const std::u16string &path) {
  const size_t slash = path.rfind(u'/');
  const size_t nameStart = slash == std::u16string::npos ? 0 : slash + 1;
  const size_t dot = path.rfind(u'.');
  if (dot == std::u16string::npos || dot < nameStart || dot + 1 == path.size()) return std::u16string();
  const std::u16string extension = path.substr(dot);
  // As the shell sees it, an extension holds no spaces.
  return extension.find(u' ') == std::u16string::npos ? extension : std::u16string();
}

std::vector<std::u16string> ApplicableClassKeys(const SelectedItem &item) {
  switch (item.kind) {
    case ItemKind::Directory: return {TEXT("Directory"), TEXT("Folder")};
    case ItemKind::Drive: return {TEXT("Drive"), TEXT("Folder")};
    default: break;
  }
  std::vector<std::u16string> keys = {TEXT("*")};
  const std::u16string extension = FileExtension(item.path);
  std::u16string progId;
  if (!extension.empty() && ReadString(HKEY_CLASSES_ROOT, extension, nullptr, &progId) == ERROR_SUCCESS &&
      !progId.empty() && progId != TEXT("*") && KeyExists(HKEY_CLASSES_ROOT, progId))
    keys.push_back(progId);
  return keys;
}

bool HandlerKeyClsid(const std::u16string &value, const std::u16string &name, CLSID *out) {
  return ParseClsid(value, out) || ParseClsid(name, out);
}

bool ItemHasHandler(const SelectedItem &item, const CLSID &clsid) {
  for (const std::u16string &classKey : ApplicableClassKeys(item))
    for (const HandlerKey &key : ReadHandlerKeys(kMergedClasses, classKey))
      if (key.hasClsid && IsEqualCLSID(key.clsid, clsid)) return true;
  return false;
}

std::u16string HandlersPath(const std::u16string &classKey) { return classKey + TEXT("\\ShellEx\\ContextMenuHandlers"); }

std::vector<HandlerKey> ReadHandlerKeys(const ClassesView &view, const std::u16string &classKey) {
  std::vector<HandlerKey> keys;
  const std::u16string path = view.prefix + HandlersPath(classKey);
  for (const std::u16string &name : SubkeyNames(view.root, path)) {
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
  for (const std::u16string &classKey : ApplicableClassKeys(items[0])) {
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

std::u16string ClsidText(const CLSID &clsid) {
  WCHAR text[39];
  if (StringFromGUID2(clsid, text, 39) == 0) return std::u16string();
  return text;
}

}  // namespace tools
