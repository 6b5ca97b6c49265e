// Reference counting and the IUnknown implementations of the library's objects.
#pragma once
#include <objbase.h>

#include <new>

#include "module/interface_map.h"
#include "module/module.h"
#include "module/object_map.h"

// The count an object's destructor sets first, so that a reference-count
// change made during tear-down cannot bring it back to 0.
constexpr LONG kDestructionGuard = -1073741823;  // 0xC0000001

// Plain increment and decrement: objects used only in the apartment that made them.
struct CComSingleThreadModel {
  static LONG Increment(LONG *value) { return ++*value; }
  static LONG Decrement(LONG *value) { return --*value; }
};

// Interlocked increment and decrement: objects used from any thread.
struct CComMultiThreadModel {
  static LONG Increment(LONG *value) { return InterlockedIncrement(value); }
  static LONG Decrement(LONG *value) { return InterlockedDecrement(value); }
};

// The reference count and the class-wide defaults of every object.
class CComObjectRootBase {
 public:
  // The step run once an object is fully built and holds a temporary
  // reference; a failure destroys the object. Classes may hide it.
  HRESULT FinalConstruct() { return S_OK; }
  // The step run first when an object is destroyed. Classes may hide it.
  void FinalRelease() {}
  // No component categories, no start/stop work: classes may hide these.
  static const CategoryMapEntry *GetCategoryMap() { return nullptr; }
  static void ObjectMain(bool /*starting*/) {}

  LONG referenceCount = 0;
};

// The reference count changed under ThreadModel's rules. The single-thread
// form has no lock of its own.
template <class ThreadModel>
class CComObjectRootEx : public CComObjectRootBase {
 public:
  LONG InternalAddRef() { return ThreadModel::Increment(&referenceCount); }
  LONG InternalRelease() { return ThreadModel::Decrement(&referenceCount); }
  // Nothing to create: S_OK.
  HRESULT InitializeObjectLock() { return S_OK; }
};

// The multi-thread form carries an object lock, created right after
// allocation by InitializeObjectLock and deleted by the destructor.
template <>
class CComObjectRootEx<CComMultiThreadModel> : public CComObjectRootBase {
 public:
  CComObjectRootEx();
  ~CComObjectRootEx();
  CComObjectRootEx(const CComObjectRootEx &) = delete;
  CComObjectRootEx &operator=(const CComObjectRootEx &) = delete;

  LONG InternalAddRef() { return CComMultiThreadModel::Increment(&referenceCount); }
  LONG InternalRelease() { return CComMultiThreadModel::Decrement(&referenceCount); }
  // Creates the object lock: S_OK, or E_OUTOFMEMORY (the lock then not created).
  HRESULT InitializeObjectLock();

  // Nothing in the library enters it.
  CRITICAL_SECTION objectLock;
  bool lockCreated;
};

// Binds a class to its class identifier; adds no data.
template <class T, const CLSID *clsid>
class CComCoClass {
 public:
  static const CLSID &GetObjectCLSID() { return *clsid; }
};

// A creatable object of class T: the IUnknown operations over T's interface
// map, one module lock from construction to destruction, and the virtual
// destructor. Always allocated with new; destroyed by its last Release.
template <class T>
class CComObject : public T {
 public:
  CComObject() { LockModule(); }
  virtual ~CComObject() {
    this->referenceCount = kDestructionGuard;
    this->FinalRelease();
    UnlockModule();
  }

  STDMETHOD(QueryInterface)(REFIID iid, void **out) override {
    return LookupInterface(static_cast<T *>(this), T::GetInterfaceMap(), iid, out);
  }
  STDMETHOD_(ULONG, AddRef)() override { return static_cast<ULONG>(this->InternalAddRef()); }
  STDMETHOD_(ULONG, Release)() override {
    LONG count = this->InternalRelease();
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
  }
};

// A class object kept in the object map's cache. The cache's own reference
// holds no module lock; the references beyond it hold one module lock in total.
template <class T>
class CComObjectCached : public T {
 public:
  virtual ~CComObjectCached() {
    this->referenceCount = kDestructionGuard;
    this->FinalRelease();
  }

  STDMETHOD(QueryInterface)(REFIID iid, void **out) override {
    return LookupInterface(static_cast<T *>(this), T::GetInterfaceMap(), iid, out);
  }
  STDMETHOD_(ULONG, AddRef)() override {
    LONG count = this->InternalAddRef();
    if (count == 2) LockModule();
    return static_cast<ULONG>(count);
  }
  STDMETHOD_(ULONG, Release)() override {
    LONG count = this->InternalRelease();
    if (count == 0) {
      delete this;
      return 0;
    }
    if (count == 1) UnlockModule();
    return static_cast<ULONG>(count);
  }
};
