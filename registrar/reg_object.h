// CRegObject: the registrar that registration code hands registry scripts to.
// It holds the replacement map the scripts' "%NAME%" references expand to.
// Lives on its creator's stack and belongs to that thread; it is not
// reference counted.
#pragma once
#include "registrar/registrar_base.h"
#include "registrar/replacement_map.h"

class CRegObject : public IRegistrarBase {
 public:
  CRegObject() = default;
  CRegObject(const CRegObject &) = delete;
  CRegObject &operator=(const CRegObject &) = delete;

  // Always E_NOTIMPL; *object is not written.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override;
  // Always 1 and 0: the object's lifetime is its creator's scope.
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // See IRegistrarBase. Never raises.
  HRESULT STDMETHODCALLTYPE PutReplacement(LPCOLESTR name, LPCOLESTR value) override;
  HRESULT STDMETHODCALLTYPE ResetReplacements() override;
  // Frees the replacement map.
  virtual ~CRegObject();

  // The value of the earliest replacement named `name` (case-insensitive),
  // or null. Owned by the map; valid until the map is reset or destroyed.
  LPCOLESTR FindReplacement(LPCOLESTR name) const;

  // Registers (or removes) the script stored as resource `resourceId` (low 16
  // bits) of type `type` in the module file `modulePath`, loaded as a data
  // file. Returns the script run's HRESULT, E_OUTOFMEMORY when the text
  // buffer can't be had, or the HRESULT of the failing platform step (E_FAIL
  // when that step left no error code). Nothing is written to the registry
  // before the text has been read and converted.
  HRESULT RegisterResource(LPCOLESTR modulePath, UINT resourceId, LPCOLESTR type);
  HRESULT UnregisterResource(LPCOLESTR modulePath, UINT resourceId, LPCOLESTR type);
  HRESULT ProcessResource(LPCOLESTR modulePath, UINT resourceId, LPCOLESTR type, bool registering);

  CReplacementMap replacements;
};
