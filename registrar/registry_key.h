// CRegistryKey: the owner of one open registry key, with the writes and
// deletes that registration needs; CRegistryKeyView: the same operations on a
// key someone else owns. Every operation returns the platform's
// registry status code unchanged (ERROR_SUCCESS, 0, on success) and never
// raises. One thread at a time; no locks.
#pragma once
#include <windows.h>

class CRegistryKey {
  friend class CRegistryKeyView;

 public:
  CRegistryKey() = default;
  // Closes a held key; the close's code is lost.
  ~CRegistryKey();

  CRegistryKey(const CRegistryKey &) = delete;
  CRegistryKey &operator=(const CRegistryKey &) = delete;
  // The moved-from object holds nothing afterwards.
  CRegistryKey(CRegistryKey &&other) noexcept;
  CRegistryKey &operator=(CRegistryKey &&other) noexcept;

  // Opens `name` below `parent` (a null name opens the parent itself again).
  // On failure returns the open's code and keeps whatever was held. On
  // success the previously held key is closed and the new one held; the
  // result is that close's code (0 when nothing was held).
  LONG Open(HKEY parent, LPCWSTR name, REGSAM access);
  // Opens or creates `name` (and missing ancestors) below `parent` with read
  // and write access, non-volatile. Results as for Open.
  LONG Create(HKEY parent, LPCWSTR name);
  // Closes the held key. Returns the close's code, 0 when nothing was held.
  LONG Close();

  // Value writers. A null name addresses the key's default value. The text
  // writers return ERROR_INVALID_DATA for a null text and write nothing.
  LONG WriteDword(LPCWSTR name, DWORD value);
  LONG WriteString(LPCWSTR name, LPCWSTR text, DWORD type);
  // `multi` is a run of NUL-terminated strings ended by an empty one; all of
  // them, the end mark included, are stored.
  LONG WriteMultiString(LPCWSTR name, LPCWSTR multi);
  LONG WriteBinary(LPCWSTR name, const BYTE *bytes, DWORD count);
  LONG RemoveValue(LPCWSTR name);

  // Deletes the subkey `name`, which must have no subkeys, in the view of
  // the held key. Uses the view-aware delete when the platform offers it.
  LONG RemoveSubkey(LPCWSTR name);
  // Deletes `name` and everything below it, deepest keys first, without
  // allocating. A failure part way leaves deleted keys deleted and returns
  // that failure; a missing `name` returns the open's code.
  LONG RemoveSubtree(LPCWSTR name);

  // The held key, or null.
  HKEY handle = nullptr;
  // The registry-view bits (KEY_WOW64_32KEY, KEY_WOW64_64KEY) of the access
  // the held key was opened with; 0 when nothing is held or in a view.
  REGSAM viewBits = 0;

 private:
  // Holds `key` without opening it; the caller keeps ownership and must
  // Detach before this object is destroyed. Only on an object holding nothing.
  void Attach(HKEY key);
  // Gives up the held handle without closing it and returns it.
  HKEY Detach();
};

// A non-owning view of an open key (a parent's handle, a predefined root)
// through CRegistryKey's operations, with no registry view bits. It never
// closes the key, whichever way its scope ends; the key must outlive it.
class CRegistryKeyView {
 public:
  explicit CRegistryKeyView(HKEY key) { key_.Attach(key); }
  ~CRegistryKeyView() { key_.Detach(); }
  CRegistryKeyView(const CRegistryKeyView &) = delete;
  CRegistryKeyView &operator=(const CRegistryKeyView &) = delete;

  CRegistryKey &key() { return key_; }

 private:
  CRegistryKey key_;
};
