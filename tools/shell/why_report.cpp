#include "why_report.h"

#include <cstdio>
#include <string>

#include "classes_halves.h"
#include "drop_data_object.h"
#include "handler_keys.h"
#include "hresult_text.h"
#include "menu_builder.h"
#include "menu_entries.h"
#include "registry_read.h"

namespace tools {

namespace {

const char kMachine[] = "HKEY_LOCAL_MACHINE\\Software\\Classes";
const char kUser[] = "HKEY_CURRENT_USER\\Software\\Classes";

typedef HRESULT(STDAPICALLTYPE *GetClassObjectFunction)(REFCLSID, REFIID, LPVOID *);

// One handler (CLSID) and the handler keys that name it.
struct HandlerUse {
  CLSID clsid = {};
  std::vector<std::string> keys;  // "<name> under <class key>"
};

std::string Hex(DWORD value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
  return text;
}

std::string Join(const std::vector<std::string> &parts) {
  std::string joined;
  for (const std::string &part : parts) joined += (joined.empty() ? "" : ", ") + part;
  return joined;
}

std::string ValueText(const std::u16string &value) {
  return value.empty() ? "(no default value)" : "\"" + Narrow(value) + "\"";
}

void WriteSelection(const std::vector<SelectedItem> &items, std::vector<std::u16string> *classKeys, std::ostream &out) {
  out << "Selection:\n";
  for (const SelectedItem &item : items) {
    out << "  " << Narrow(item.path) << " (" << ItemKindName(item.kind) << ")\n";
    if (item.kind == ItemKind::File) {
      const std::u16string extension = FileExtension(item.path);
      std::u16string progId;
      if (extension.empty())
        out << "    no extension\n";
      else if (ReadString(HKEY_CLASSES_ROOT, extension, nullptr, &progId) != ERROR_SUCCESS || progId.empty())
        out << "    extension " << Narrow(extension) << ": no ProgID (HKEY_CLASSES_ROOT\\" << Narrow(extension)
            << " has no default value)\n";
      else if (!KeyExists(HKEY_CLASSES_ROOT, progId))
        out << "    extension " << Narrow(extension) << ": ProgID " << Narrow(progId)
            << " has no key of its own\n";
      else
        out << "    extension " << Narrow(extension) << ": ProgID " << Narrow(progId) << "\n";
    }
    std::vector<std::string> names;
    for (const std::u16string &key : ApplicableClassKeys(item)) {
      names.push_back(Narrow(key));
      bool known = false;
      for (const std::u16string &seen : *classKeys) known = known || lstrcmpiW(seen.c_str(), key.c_str()) == 0;
      if (!known) classKeys->push_back(key);
    }
    out << "    handler keys: " << Join(names) << "\n";
  }
}

void NoteUse(const CLSID &clsid, const std::string &where, std::vector<HandlerUse> *uses) {
  for (HandlerUse &use : *uses) {
    if (IsEqualCLSID(use.clsid, clsid)) {
      use.keys.push_back(where);
      return;
    }
  }
  uses->push_back(HandlerUse{clsid, {where}});
}

void WriteClassKey(const std::u16string &classKey, std::vector<HandlerUse> *uses, std::ostream &out) {
  const std::u16string path = HandlersPath(classKey);
  out << "Class key " << Narrow(classKey) << " (" << Narrow(path) << "):\n";
  const std::vector<std::u16string> names = SplitSubkeyNames(path);
  if (names.empty()) out << "  no handlers registered in either half\n";
  for (const std::u16string &name : names) {
    const SplitKey key = ReadSplitKey(path + TEXT("\\") + name);
    out << "  " << Narrow(name) << "\n";
    if (key.machine.present) out << "    " << kMachine << ": " << ValueText(key.machine.value) << "\n";
    if (key.user.present)
      out << "    " << kUser << ": " << ValueText(key.user.value)
          << (key.userHidesMachine() ? " (per-user; hides the machine's)" : " (per-user)") << "\n";
    CLSID clsid;
    if (HandlerKeyClsid(key.winner().value, name, &clsid)) {
      out << "    CLSID " << Narrow(ClsidText(clsid)) << "\n";
      NoteUse(clsid, Narrow(name) + " under " + Narrow(classKey), uses);
    } else {
      out << "    names no CLSID: skipped\n";
    }
  }
}

// The server registration; returns the winning path ("" when none), quotes removed.
std::u16string WriteServer(const CLSID &clsid, std::ostream &out) {
  const std::u16string path = TEXT("CLSID\\") + ClsidText(clsid) + TEXT("\\InprocServer32");
  const SplitKey server = ReadSplitKey(path);
  out << "  InprocServer32 (" << Narrow(path) << "):\n";
  if (!server.present()) out << "    registered in neither half\n";
  for (const auto &[half, name] : {std::pair{&server.machine, kMachine}, std::pair{&server.user, kUser}}) {
    if (!half->present) continue;
    out << "    " << name << ": " << ValueText(half->value) << ", ThreadingModel "
        << (half->threadingModel.empty() ? "(none)" : Narrow(half->threadingModel))
        << (half == &server.user && server.userHidesMachine() ? " (per-user; hides the machine's)" : "") << "\n";
  }
  std::u16string file = server.present() ? server.winner().value : std::u16string();
  // Paths are sometimes registered in quotation marks.
  if (file.size() >= 2 && file.front() == u'"' && file.back() == u'"') file = file.substr(1, file.size() - 2);
  return file;
}

// The library and activation steps. Returns why the handler adds nothing, or
// "" with *count set to the items it added.
std::string WriteActivation(const CLSID &clsid, const std::u16string &file, const std::vector<SelectedItem> &items,
                            UINT flags, int *count, std::ostream &out) {
  const DWORD attributes = GetFileAttributesW(file.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    out << "  file: missing: " << Win32ErrorText(GetLastError()) << "\n";
  else
    out << "  file: exists" << ((attributes & FILE_ATTRIBUTE_DIRECTORY) ? " (a directory)" : "") << "\n";

  HMODULE module = LoadLibraryW(file.c_str());
  if (!module) {
    const DWORD error = GetLastError();
    out << "  LoadLibraryW: failed: error " << error << " " << Win32ErrorText(error) << "\n";
    return "its library does not load";
  }
  out << "  LoadLibraryW: loaded\n";
  std::string reason;
  // Through void(*)(): an export's address carries no signature of its own.
  auto getClassObject = reinterpret_cast<GetClassObjectFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(module, "DllGetClassObject")));
  out << "  DllGetClassObject: " << (getClassObject ? "exported" : "not exported") << "\n";
  if (!getClassObject) reason = "its library does not export DllGetClassObject";
  if (reason.empty()) {
    IClassFactory *factory = nullptr;
    const HRESULT hr = getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void **>(&factory));
    out << "  DllGetClassObject(IID_IClassFactory): " << DescribeHresult(hr) << "\n";
    if (SUCCEEDED(hr) && factory) factory->Release();
    if (FAILED(hr)) reason = "its library gives no class object";
  }
  if (reason.empty()) {
    std::vector<std::u16string> paths;
    for (const SelectedItem &item : items) paths.push_back(item.path);
    IDataObject *selection = nullptr;
    if (HRESULT hr = CreateDropDataObject(paths, &selection); FAILED(hr))
      return "the selection: " + DescribeHresult(hr);
    const Activation activation = ActivateHandler(clsid, selection);
    selection->Release();
    out << "  CoCreateInstance(IID_IShellExtInit): " << DescribeHresult(activation.create) << "\n";
    if (FAILED(activation.create)) reason = "CoCreateInstance failed";
    if (reason.empty()) {
      out << "  Initialize: " << DescribeHresult(activation.initialize) << "\n";
      if (FAILED(activation.initialize)) reason = "Initialize failed";
    }
    if (reason.empty()) {
      out << "  QueryInterface(IID_IContextMenu): " << DescribeHresult(activation.query) << "\n";
      if (FAILED(activation.query)) reason = "it has no IContextMenu";
    }
    if (reason.empty()) {
      ContextMenu scratch;
      const HRESULT hr = scratch.menu() ? scratch.Add(HandlerKey(), activation.menu, flags) : E_OUTOFMEMORY;
      if (!scratch.menu()) activation.menu->Release();
      if (FAILED(hr)) {
        out << "  QueryContextMenu(flags " << Hex(flags) << "): " << DescribeHresult(hr) << "\n";
        reason = "QueryContextMenu failed";
      } else {
        const std::vector<MenuEntry> entries = ReadMenuEntries(scratch);
        *count = static_cast<int>(entries.size());
        out << "  QueryContextMenu(flags " << Hex(flags) << "): " << Hex(static_cast<DWORD>(hr)) << ", "
            << HRESULT_CODE(hr) << " identifier(s) used, " << entries.size() << " item(s) added\n";
        for (const MenuEntry &entry : entries)
          out << "    " << entry.id << "  " << (entry.separator ? "(separator)" : entry.text)
              << (entry.help.empty() ? "" : "  [" + entry.help + "]") << "\n";
        if (entries.empty()) reason = "QueryContextMenu added no items";
      }
    }
  }
  FreeLibrary(module);
  return reason;
}

void WriteHandler(const HandlerUse &use, const std::vector<SelectedItem> &items, UINT flags, std::ostream &out) {
  out << "Handler " << Narrow(ClsidText(use.clsid)) << "\n";
  out << "  handler keys: " << Join(use.keys) << "\n";
  std::vector<std::string> missing;
  for (const SelectedItem &item : items)
    if (!ItemHasHandler(item, use.clsid)) missing.push_back(Narrow(item.path));
  if (missing.empty())
    out << "  registered for every selected item\n";
  else
    out << "  not registered for: " << Join(missing) << "\n";

  std::string reason;
  int count = 0;
  const std::u16string file = WriteServer(use.clsid, out);
  if (file.empty())
    reason = "no InprocServer32 names its library";
  else
    reason = WriteActivation(use.clsid, file, items, flags, &count, out);
  if (reason.empty() && !missing.empty()) reason = "it is not registered for every selected item";
  if (reason.empty())
    out << "  => shows " << count << " item(s)\n";
  else
    out << "  => does not show: " << reason << "\n";
}

}  // namespace

void WriteWhyReport(const std::vector<SelectedItem> &items, UINT flags, std::ostream &out) {
  std::vector<std::u16string> classKeys;
  WriteSelection(items, &classKeys, out);
  out << "QueryContextMenu flags: " << Hex(flags) << "\n";
  std::vector<HandlerUse> uses;
  for (const std::u16string &classKey : classKeys) WriteClassKey(classKey, &uses, out);
  if (uses.empty()) out << "No handler key names a CLSID: the menu gets no items from handlers.\n";
  for (const HandlerUse &use : uses) WriteHandler(use, items, flags, out);
}

}  // namespace tools
