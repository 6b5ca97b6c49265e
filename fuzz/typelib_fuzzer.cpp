// Fuzz target: LoadTypeLibEx on a stand-alone type library file, then a walk
// of the ITypeLib and every ITypeInfo, and with registration, its undoing.
// Input: byte 0 bit 0 loads with REGKIND_REGISTER (else REGKIND_NONE); the
// rest is the file. Checks: loading ends in S_OK or a documented failure with
// a null library; every call of the walk returns its documented results with
// its out-arguments set as documented; references resolve within the library;
// a failed registering load leaves the registry as it was, and a registered
// one is unregistered back to it but for the shared TypeLib and Interface keys.
#include <cstring>

#include "fuzz/fuzz_support.h"
#include "platform_seams.h"

namespace {

bool IsLoadFailure(HRESULT hr, bool registering) {
  return hr == TYPE_E_CANTLOADLIBRARY || hr == TYPE_E_UNSUPFORMAT || hr == TYPE_E_INVDATAREAD ||
         hr == E_OUTOFMEMORY || (registering && hr == TYPE_E_REGISTRYACCESS);
}

void CheckDocumentation(HRESULT hr, BSTR name, BSTR doc, BSTR helpFile) {
  FUZZ_CHECK(hr == S_OK || hr == E_OUTOFMEMORY);
  if (hr != S_OK) FUZZ_CHECK(!name && !doc && !helpFile);
  for (BSTR text : {name, doc, helpFile}) SysFreeString(text);
}

// A reference of `info` must name a type of `library`, or be refused.
void CheckReference(ITypeLib *library, ITypeInfo *info, HREFTYPE ref) {
  ITypeInfo *target = reinterpret_cast<ITypeInfo *>(1);
  const HRESULT hr = info->GetRefTypeInfo(ref, &target);
  if (hr != S_OK) {
    FUZZ_CHECK(hr == TYPE_E_ELEMENTNOTFOUND || hr == E_NOTIMPL);
    FUZZ_CHECK(target == nullptr);
    return;
  }
  ITypeLib *container = nullptr;
  UINT index = ~0u;
  FUZZ_CHECK(target->GetContainingTypeLib(&container, &index) == S_OK);
  FUZZ_CHECK(container == library && index < library->GetTypeInfoCount());
  container->Release();
  target->Release();
}

void WalkType(ITypeLib *library, UINT index) {
  ITypeInfo *info = nullptr;
  FUZZ_CHECK(library->GetTypeInfo(index, &info) == S_OK && info);
  TYPEKIND kind = TKIND_MAX;
  FUZZ_CHECK(library->GetTypeInfoType(index, &kind) == S_OK);
  TYPEATTR *attr = nullptr;
  FUZZ_CHECK(info->GetTypeAttr(&attr) == S_OK && attr);
  FUZZ_CHECK(attr->typekind == kind);

  BSTR name = nullptr, doc = nullptr, helpFile = nullptr;
  DWORD context = 0;
  // The call comes first: the order in which arguments are evaluated is unspecified.
  const HRESULT hr = info->GetDocumentation(MEMBERID_NIL, &name, &doc, &context, &helpFile);
  CheckDocumentation(hr, name, doc, helpFile);

  for (UINT i = 0; i < attr->cImplTypes; ++i) {
    HREFTYPE ref = 0;
    INT flags = 0;
    FUZZ_CHECK(info->GetRefTypeOfImplType(i, &ref) == S_OK);
    FUZZ_CHECK(info->GetImplTypeFlags(i, &flags) == S_OK);
    CheckReference(library, info, ref);
  }
  HREFTYPE ref = 0;
  FUZZ_CHECK(info->GetRefTypeOfImplType(attr->cImplTypes, &ref) == TYPE_E_ELEMENTNOTFOUND);
  if (kind == TKIND_ALIAS) {
    const TYPEDESC *step = &attr->tdescAlias;
    for (int depth = 0; step; ++depth) {
      FUZZ_CHECK(depth <= 16);
      if (step->vt == VT_USERDEFINED) CheckReference(library, info, step->hreftype);
      step = step->vt == VT_PTR || step->vt == VT_SAFEARRAY ? step->lptdesc : nullptr;
    }
  }

  ITypeInfo *byGuid = nullptr;
  FUZZ_CHECK(library->GetTypeInfoOfGuid(attr->guid, &byGuid) == S_OK && byGuid);
  TYPEATTR *other = nullptr;
  FUZZ_CHECK(byGuid->GetTypeAttr(&other) == S_OK);
  FUZZ_CHECK(std::memcmp(&other->guid, &attr->guid, sizeof(GUID)) == 0);
  byGuid->ReleaseTypeAttr(other);
  byGuid->Release();

  ITypeLib *container = nullptr;
  UINT at = ~0u;
  FUZZ_CHECK(info->GetContainingTypeLib(&container, &at) == S_OK && container == library && at == index);
  container->Release();
  info->ReleaseTypeAttr(attr);
  info->Release();
}

void WalkLibrary(ITypeLib *library) {
  TLIBATTR *attr = nullptr;
  FUZZ_CHECK(library->GetLibAttr(&attr) == S_OK && attr);
  library->ReleaseTLibAttr(attr);
  BSTR name = nullptr, doc = nullptr, helpFile = nullptr;
  DWORD context = 0;
  const HRESULT hr = library->GetDocumentation(-1, &name, &doc, &context, &helpFile);
  CheckDocumentation(hr, name, doc, helpFile);
  const UINT count = library->GetTypeInfoCount();
  for (UINT i = 0; i < count; ++i) WalkType(library, i);
  ITypeInfo *none = reinterpret_cast<ITypeInfo *>(1);
  FUZZ_CHECK(library->GetTypeInfo(count, &none) == TYPE_E_ELEMENTNOTFOUND && none == nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0) return 0;
  static fuzz::InputFile file("typelib");
  file.Write(data + 1, size - 1);
  const bool registering = (data[0] & 1) != 0;
  seams::SetRegistryFile("");
  const std::set<std::u16string> before = fuzz::SnapshotRegistry();

  ITypeLib *library = reinterpret_cast<ITypeLib *>(1);
  const HRESULT hr = LoadTypeLibEx(file.wide(), registering ? REGKIND_REGISTER : REGKIND_NONE, &library);
  if (hr != S_OK) {
    FUZZ_CHECK(IsLoadFailure(hr, registering));
    FUZZ_CHECK(library == nullptr);
    FUZZ_CHECK_REGISTRY_IS(before);
    return 0;
  }
  FUZZ_CHECK(library != nullptr);
  WalkLibrary(library);
  if (registering) {
    TLIBATTR *attr = nullptr;
    FUZZ_CHECK(library->GetLibAttr(&attr) == S_OK);
    FUZZ_CHECK(UnRegisterTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid, attr->syskind) ==
               S_OK);
    library->ReleaseTLibAttr(attr);
    // The shared keys above every library and interface stay.
    std::set<std::u16string> expected = before;
    for (const char16_t *shared : {u"HKLM\\SOFTWARE\\Classes\\TypeLib", u"HKLM\\SOFTWARE\\Classes\\Interface"})
      if (fuzz::SnapshotRegistry().count(shared)) expected.insert(shared);
    FUZZ_CHECK_REGISTRY_IS(expected);
  } else {
    FUZZ_CHECK_REGISTRY_IS(before);
  }
  FUZZ_CHECK(library->Release() == 0);
  return 0;
}
