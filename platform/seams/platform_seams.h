// Test seams of the Windows API substitute: call recording and fault injection.
// Only tests include this header. All functions are thread-safe.
#pragma once
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace seams {

// The seam operations: every call that is counted, recorded and can be made
// to fail, named as the function it stands for.
inline constexpr const char *kOperations[] = {
    "CoCreateInstance",
    "CoGetClassObject",
    "CoTaskMemAlloc",
    "CoTaskMemRealloc",
    "DragQueryFileW",
    "FindResourceExW",
    "FindResourceW",
    "GetModuleFileNameW",
    "GetModuleHandleW",
    "GetProcAddress",
    "GlobalLock",
    "InitializeCriticalSection",
    "InitializeCriticalSectionAndSpinCount",
    "InsertMenuItemW",
    "LoadImageW",
    "LoadLibraryExW",
    "LoadLibraryW",
    "LoadResource",
    "LoadTypeLib",
    "LoadTypeLibEx",
    "MultiByteToWideChar",
    "RegCloseKey",
    "RegCreateKeyExW",
    "RegDeleteKeyExW",
    "RegDeleteKeyW",
    "RegDeleteTreeW",
    "RegDeleteValueW",
    "RegEnumKeyExW",
    "RegEnumValueW",
    "RegGetValueW",
    "RegOpenKeyExW",
    "RegQueryInfoKeyW",
    "RegQueryValueExW",
    "RegSetValueExW",
    "RegisterTypeLib",
    "RegisterTypeLibForUser",
    "SetThreadLocale",
    "ShellExecuteW",
    "SysAllocString",
    "UnRegisterTypeLib",
    "UnRegisterTypeLibForUser",
    "WideCharToMultiByte",
};
inline constexpr unsigned kOperationCount = sizeof kOperations / sizeof kOperations[0];

// One of kOperations. A name written in the program is checked when it is
// compiled ("RegOpenKeyExW" converts; a misspelt name does not compile); a
// name made while it runs goes through Named.
class Operation {
 public:
  consteval Operation(const char *name) : index_(IndexOf(name)) {}
  // The operation of a name made at run time; aborts the program for a name
  // that is none, so a misspelt check cannot pass unnoticed.
  __attribute__((visibility("default"))) static Operation Named(std::string_view name);

  const char *name() const { return kOperations[index_]; }
  unsigned index() const { return index_; }
  friend bool operator==(Operation a, Operation b) { return a.index_ == b.index_; }
  friend std::ostream &operator<<(std::ostream &out, Operation operation) { return out << operation.name(); }

 private:
  struct Index {
    unsigned value;
  };
  explicit Operation(Index index) : index_(index.value) {}
  static constexpr unsigned IndexOf(std::string_view name) {
    for (unsigned i = 0; i < kOperationCount; ++i)
      if (name == kOperations[i]) return i;
    throw "not a seam operation";  // reached for an unknown name only: the conversion does not compile
  }

  unsigned index_;
};

// One recorded call of a named operation. `subject` is what the operation acts
// on (for registry calls the full key path such as
// "HKEY_CURRENT_USER\Software\Tovin Copy", for DragQueryFileW the index), and
// `arguments` a rendering of the other arguments, both UTF-8.
struct Call {
  Operation operation;
  std::string subject;
  std::string arguments;
};

// Forgets every record, counter, fault and hidden export, and restores the
// defaults (system default locale, recording off). Call at the start of each test.
__attribute__((visibility("default"))) void Reset();

// Recording is off by default; while on, every seam-aware operation is appended.
__attribute__((visibility("default"))) void SetRecording(bool on);
__attribute__((visibility("default"))) std::vector<Call> Calls();
__attribute__((visibility("default"))) std::vector<Call> Calls(Operation operation);
// Number of calls of the operation since the last Reset, counted whether or not recording is on.
__attribute__((visibility("default"))) unsigned CallCount(Operation operation);

// Makes the operation fail with `code` (its own failure convention: a Win32
// code for registry calls, an exception code for raising calls, ignored for
// calls that fail by returning null). onCall = 0 fails every matching call,
// N fails only the Nth call of the operation counted from this point. A
// non-empty subject restricts the fault to calls whose subject equals it
// (registry paths compare case-insensitively).
__attribute__((visibility("default"))) void FailOperation(Operation operation, uint32_t code,
                                                          unsigned onCall = 0, const std::string &subject = "");
__attribute__((visibility("default"))) void ClearFaults();

// Hides an export from GetProcAddress, e.g. ("Advapi32.dll", "RegDeleteKeyExW").
__attribute__((visibility("default"))) void HideExport(const std::string &module, const std::string &name);

// Number of graphics objects (bitmaps) created and not yet deleted, for leak checks.
__attribute__((visibility("default"))) unsigned LiveGdiObjects();
// Number of registry key handles open in the process (predefined roots not counted).
__attribute__((visibility("default"))) unsigned OpenRegistryKeys();
// Blocks of COM task memory (CoTaskMemAlloc, CoTaskMemRealloc) and strings
// (SysAllocString, SysAllocStringLen) allocated and not yet freed.
__attribute__((visibility("default"))) unsigned LiveTaskMemoryBlocks();
__attribute__((visibility("default"))) unsigned LiveSysStrings();
// CoTaskMemAlloc, CoTaskMemRealloc, SysAllocString and SysAllocStringLen are
// seam operations with an empty subject and the size asked for (bytes for task
// memory, characters for strings) as arguments; a fault makes them return null.

// The decoded pixels of a bitmap handle as 0x00RRGGBB values, top row first.
// Returns false for a handle that is not a live bitmap.
__attribute__((visibility("default"))) bool BitmapPixels(void *bitmap, std::vector<uint32_t> *pixels);

// Sets the system default locale (LCID), which CP_ACP, LOCALE_SYSTEM_DEFAULT and
// threads that never called SetThreadLocale follow. Reset restores 0x0409.
__attribute__((visibility("default"))) void SetSystemDefaultLocale(uint32_t lcid);

// Registry. Every Reg* function is a seam operation under its own name
// ("RegOpenKeyExW", ...). Its subject is the full path of the key it acts on,
// with any subkey argument appended ("HKEY_CLASSES_ROOT\CLSID\{...}"; keys are
// spelled as the caller spelled them, "\" runs collapsed). Its arguments are
// "key=<path of hKey>" followed by, space-separated, texts as "..." (or (null)),
// sizes/indices/options/types in decimal, access masks and flags as 0x%08X,
// and pointed-to sizes read on entry (or (null)):
//   RegOpenKeyExW     key=K subkey="S" options=0 sam=0x00000001
//   RegCreateKeyExW   key=K subkey="S" class=(null) options=0 sam=0x0002001F
//   RegCloseKey       key=K
//   RegQueryValueExW  key=K value="CopyApp" size=1000        (size = *lpcbData)
//   RegSetValueExW    key=K value="V" type=1 size=12
//   RegDeleteValueW   key=K value="V"
//   RegEnumKeyExW     key=K index=0 size=256                 (size = *lpcchName)
//   RegEnumValueW     key=K index=0 namesize=256 size=(null) (namesize = *lpcchValueName)
//   RegDeleteKeyW     key=K subkey="S"
//   RegDeleteKeyExW   key=K subkey="S" sam=0x00000100
//   RegDeleteTreeW    key=K subkey=(null)
//   RegQueryInfoKeyW  key=K
//   RegGetValueW      key=K subkey="S" value="V" flags=0x0000FFFF size=4
// A fault makes the call return its code before anything is read or written.

// Resources. FindResourceW, FindResourceExW and LoadResource are seam
// operations. The subject of the two finds is "TYPE/NAME", an integer id
// rendered as "#101" and a text as itself ("REGISTRY/#101", "#16/#1"); their
// arguments are "module=M", and for FindResourceExW "module=M language=0x0409",
// M being the module handle as %p or (null). The subject of LoadResource is the
// HRSRC as %p (or (null)), its arguments "module=M". A fault sets its code as
// the last error and makes the call return null before anything is read.

// Type libraries. Six seam operations; a fault makes the call return the
// fault's code as its HRESULT (LoadTypeLib* with *pptlib null) before
// anything is read or written:
//   LoadTypeLib               subject = the file as given    arguments empty
//   LoadTypeLibEx             subject = the file as given    regkind=2
//   RegisterTypeLib(ForUser)  subject = the full path        helpdir="C:\help" or helpdir=(null)
//   UnRegisterTypeLib(ForUser) subject = "{libid}"           version=1.0 lcid=0x00000409 syskind=1
// (version in hexadecimal as in the registry). Loading that registers goes
// through RegisterTypeLib; UnRegisterTypeLib reads the registered file
// without LoadTypeLib.

// Makes the registry use the database file `path` (created with mode 0600 when
// missing) or, for an empty path, a new empty in-memory store. Closes every
// open key handle (later use gives ERROR_INVALID_HANDLE).
__attribute__((visibility("default"))) void SetRegistryFile(const std::string &path);
// Makes HKEY_LOCAL_MACHINE (with writes through HKEY_CLASSES_ROOT that land in
// its classes) read-only or
// writable, as TOVIN_REGISTRY_MACHINE_READONLY=1 does; contents and handles stay.
__attribute__((visibility("default"))) void SetMachineReadOnly(bool on);
// Closes the store and every handle, and goes back to the configuration of the
// environment (TOVIN_REGISTRY_FILE, TOVIN_REGISTRY_MACHINE_READONLY), read
// again at the next registry call. An in-memory store starts empty again, and
// an armed FailRegistryWrite is disarmed.
__attribute__((visibility("default"))) void ResetRegistry();
// Makes the `nth` statement from now that changes the registry store fail,
// once, as a failing disk would: in the middle of a registry call, after it
// may have written part of its work. The call returns `code`. 0 disarms it.
__attribute__((visibility("default"))) void FailRegistryWrite(unsigned nth, uint32_t code);
// Lets the current registry store grow by `pages` database pages more, as a
// full disk would (SQLite then fails as on one), until the store is closed.
// Throws std::exception when the store cannot be opened.
__attribute__((visibility("default"))) void LimitRegistryGrowth(unsigned pages);
// Every key of the store as its path ("HKLM\\Software\\...") and every value as
// "path : name = " followed by its type digit and its data bytes one per unit,
// sorted, read in one transaction. Throws std::exception when the store
// cannot be read.
__attribute__((visibility("default"))) std::vector<std::u16string> RegistryContents();

}  // namespace seams
