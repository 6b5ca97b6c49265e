// The object map: the static table of creatable classes and the class-object
// lookup behind DllGetClassObject.
#pragma once
#include <objbase.h>

// Builds an object: (argument, interface id, out) -> HRESULT. The argument is
// the instance creator for a class-object creator, and the outer object (or
// null) for an instance creator. On success *out holds the interface with one
// reference; on failure *out is null.
typedef HRESULT(WINAPI *CreatorFunction)(void *argument, REFIID iid, LPVOID *out);

// One component category of a class; a table of them ends with `kind` 0.
struct CategoryMapEntry {
  INT32 kind;  // 1 = implemented, 2 = required, 0 = end of table
  const GUID *catid;  // the category identifier
};

// One creatable class.
struct ObjectMapEntry {
  const CLSID *clsid;
  // Registers (TRUE) or removes (FALSE) the class's own registry entries.
  HRESULT(WINAPI *updateRegistry)(BOOL registering);
  // Builds the class object; null hides the entry from the lookup.
  CreatorFunction getClassObject;
  // Builds an instance; handed to getClassObject as its argument.
  CreatorFunction createInstance;
  // The cached class object, holding the cache's one reference; none at start.
  IUnknown *classObject;
  // The class's component categories, or null for none.
  const CategoryMapEntry *(*getCategoryMap)();
  // Called with true while the module is built and false while it is destroyed.
  void (*objectMain)(bool starting);
};

// The static record that lists the creatable classes. Built at load before the
// module; `sizeMarker` is non-zero only while the record is ready.
class CObjectMap {
 public:
  // Takes the table [first, last) of entry pointers (null slots allowed). On
  // failure to create the map's lock sets initFailed and stays not ready.
  CObjectMap(ObjectMapEntry **first, ObjectMapEntry **last);
  // Releases every cached class object and deletes the lock, when ready.
  ~CObjectMap();
  CObjectMap(const CObjectMap &) = delete;
  CObjectMap &operator=(const CObjectMap &) = delete;

  // Looks up `clsid` and answers with its class object's `iid` interface in
  // *out, creating and caching the class object on first use. E_POINTER for a
  // null out (nothing touched); otherwise *out is null on failure:
  // E_UNEXPECTED when not ready, CLASS_E_CLASSNOTAVAILABLE for an unknown
  // class, or the HRESULT of the creator or of the QueryInterface. Any thread.
  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, LPVOID *out);

  // Calls objectMain(starting) of every non-null entry, in table order.
  void ObjectMain(bool starting);

  DWORD sizeMarker;
  // The module that carries the type library: this library.
  HINSTANCE typeLibraryModule;
  ObjectMapEntry **entryFirst;
  ObjectMapEntry **entryLast;
  // Serialises the first creation of each class object; nothing else enters it.
  CRITICAL_SECTION objectMapLock;
};

// The library's object map (one static record).
extern CObjectMap objectMap;

// The instance handle of the module that holds this code, or null.
HINSTANCE ThisModuleHandle();
