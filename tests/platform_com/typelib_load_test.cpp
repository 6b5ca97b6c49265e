// LoadTypeLib(Ex) of the built type library and the ITypeLib/ITypeInfo objects over it.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

#include "platform_registry/registry_fixture.h"
#include "typelib_support.h"

using namespace typelib_test;

namespace {

std::string Str(BSTR text) { return text ? U8(WideString(text, SysStringLen(text))) : "(null)"; }

// Takes a BSTR out argument and frees it after reading, or before it is
// handed out again.
struct Bstr {
  BSTR value = nullptr;
  ~Bstr() { SysFreeString(value); }
  BSTR *out() {
    SysFreeString(value);
    value = nullptr;
    return &value;
  }
  std::string str() const { return Str(value); }
};

class TypeLibLoad : public registry_test::RegistryTest {};

TEST_F(TypeLibLoad, ReadsTheLibraryAttributesAndDocumentation) {
  ITypeLib *lib = Load(TOVINCOPYSHL_TLB_PATH);
  ASSERT_NE(lib, nullptr);
  TLIBATTR *attr = nullptr;
  ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
  EXPECT_EQ(attr->guid, kLibrary);
  EXPECT_EQ(attr->lcid, 0u) << "the library's own locale, not the header's 0x409";
  EXPECT_EQ(attr->syskind, SYS_WIN32);
  EXPECT_EQ(attr->wMajorVerNum, 1);
  EXPECT_EQ(attr->wMinorVerNum, 0);
  EXPECT_EQ(attr->wLibFlags, LIBFLAG_FHASDISKIMAGE) << "read from a file";
  lib->ReleaseTLibAttr(attr);

  Bstr name, doc, file;
  DWORD context = 99;
  ASSERT_EQ(lib->GetDocumentation(-1, name.out(), doc.out(), &context, file.out()), S_OK);
  EXPECT_EQ(name.str(), "tovincopyshlLib");
  EXPECT_EQ(doc.str(), "tovincopyshl 1.0 Type Library");
  EXPECT_EQ(context, 0u);
  EXPECT_EQ(file.value, nullptr);
  EXPECT_EQ(lib->GetDocumentation(-1, nullptr, nullptr, nullptr, nullptr), S_OK);

  EXPECT_EQ(lib->GetTypeInfoCount(), 2u);
  EXPECT_EQ(lib->GetDocumentation(2, name.out(), nullptr, nullptr, nullptr), TYPE_E_ELEMENTNOTFOUND);
  EXPECT_EQ(lib->GetLibAttr(nullptr), E_INVALIDARG);
  EXPECT_EQ(lib->Release(), 0u);
}

struct ExpectedType {
  const char *name, *doc;
  GUID guid;
  TYPEKIND kind;
  WORD flags;
  INT implFlags;
};

TEST_F(TypeLibLoad, DescribesTheClassAndItsInterface) {
  const ExpectedType expected[] = {
      {"TovinCopyShlExt", "TovinCopyShlExt Class", kClass, TKIND_COCLASS, TYPEFLAG_FCANCREATE, IMPLTYPEFLAG_FDEFAULT},
      {"ITovinCopyShlExt", "ITovinCopyShlExt Interface", kInterface, TKIND_INTERFACE, 0, 0},
  };
  ITypeLib *lib = Load(TOVINCOPYSHL_TLB_PATH);
  ASSERT_NE(lib, nullptr);
  for (UINT i = 0; i < 2; ++i) {
    const ExpectedType &e = expected[i];
    SCOPED_TRACE(e.name);
    ITypeInfo *type = nullptr;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(e.guid, &type), S_OK);
    TYPEKIND kind;
    ASSERT_EQ(lib->GetTypeInfoType(i, &kind), S_OK);
    EXPECT_EQ(kind, e.kind);

    TYPEATTR *attr = nullptr;
    ASSERT_EQ(type->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->guid, e.guid);
    EXPECT_EQ(attr->typekind, e.kind);
    EXPECT_EQ(attr->wTypeFlags, e.flags);
    EXPECT_EQ(attr->cFuncs, 0);
    EXPECT_EQ(attr->cVars, 0);
    EXPECT_EQ(attr->cImplTypes, 1);
    EXPECT_EQ(attr->memidConstructor, MEMBERID_NIL);
    EXPECT_EQ(attr->tdescAlias.vt, VT_EMPTY);
    type->ReleaseTypeAttr(attr);

    Bstr name, doc;
    ASSERT_EQ(type->GetDocumentation(MEMBERID_NIL, name.out(), doc.out(), nullptr, nullptr), S_OK);
    EXPECT_EQ(name.str(), e.name);
    EXPECT_EQ(doc.str(), e.doc);
    EXPECT_EQ(type->GetDocumentation(0, name.out(), nullptr, nullptr, nullptr), TYPE_E_ELEMENTNOTFOUND);

    INT flags = -1;
    EXPECT_EQ(type->GetImplTypeFlags(0, &flags), S_OK);
    EXPECT_EQ(flags, e.implFlags);
    EXPECT_EQ(type->GetImplTypeFlags(1, &flags), TYPE_E_ELEMENTNOTFOUND);
    EXPECT_EQ(type->GetImplTypeFlags(0, nullptr), E_INVALIDARG);

    ITypeLib *container = nullptr;
    UINT index = 99;
    ASSERT_EQ(type->GetContainingTypeLib(&container, &index), S_OK);
    EXPECT_EQ(container, lib);
    EXPECT_EQ(index, i);
    container->Release();
    type->Release();
  }

  // The class's interface resolves in the library; the interface's base is imported.
  ITypeInfo *type = nullptr, *referred = nullptr;
  HREFTYPE ref = 0;
  ASSERT_EQ(lib->GetTypeInfo(0, &type), S_OK);
  ASSERT_EQ(type->GetRefTypeOfImplType(0, &ref), S_OK);
  ASSERT_EQ(type->GetRefTypeInfo(ref, &referred), S_OK);
  Bstr name;
  referred->GetDocumentation(MEMBERID_NIL, name.out(), nullptr, nullptr, nullptr);
  EXPECT_EQ(name.str(), "ITovinCopyShlExt");
  ASSERT_EQ(referred->GetRefTypeOfImplType(0, &ref), S_OK);
  EXPECT_EQ(ref & 1, 1u) << "IUnknown comes from the imported standard library";
  referred->Release();
  lib->GetTypeInfo(0, &type);
  type->Release();
  type->Release();

  ITypeInfo *missing = nullptr;
  EXPECT_EQ(lib->GetTypeInfoOfGuid(kLibrary, &missing), TYPE_E_ELEMENTNOTFOUND);
  EXPECT_EQ(lib->GetTypeInfo(2, &missing), TYPE_E_ELEMENTNOTFOUND);
  EXPECT_EQ(lib->GetTypeInfo(0, nullptr), E_INVALIDARG);
  EXPECT_EQ(lib->Release(), 0u);
}

TEST_F(TypeLibLoad, TypeInfosKeepTheirLibraryAlive) {
  ITypeLib *lib = Load(TOVINCOPYSHL_TLB_PATH);
  ASSERT_NE(lib, nullptr);
  ITypeInfo *type = nullptr;
  ASSERT_EQ(lib->GetTypeInfo(1, &type), S_OK);
  EXPECT_EQ(lib->Release(), 1u) << "the type info holds the library";

  void *unknown = nullptr;
  EXPECT_EQ(type->QueryInterface(IID_IUnknown, &unknown), S_OK);
  EXPECT_EQ(unknown, type);
  static_cast<IUnknown *>(unknown)->Release();
  EXPECT_EQ(type->QueryInterface(IID_IDispatch, &unknown), E_NOINTERFACE);
  EXPECT_EQ(unknown, nullptr);

  ITypeLib *container = nullptr;
  ASSERT_EQ(type->GetContainingTypeLib(&container, nullptr), S_OK);
  EXPECT_EQ(container->QueryInterface(IID_ITypeInfo, &unknown), E_NOINTERFACE);
  EXPECT_EQ(container->Release(), 1u);
  EXPECT_EQ(type->Release(), 0u);
}

TEST_F(TypeLibLoad, ReadsTheStandardLibrary) {
  ITypeLib *lib = Load(STDOLE2_TLB_PATH);
  ASSERT_NE(lib, nullptr);
  ITypeInfo *type = nullptr;
  ASSERT_EQ(lib->GetTypeInfoOfGuid(IID_IUnknown, &type), S_OK);
  Bstr name;
  ASSERT_EQ(type->GetDocumentation(MEMBERID_NIL, name.out(), nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(name.str(), "IUnknown");
  type->Release();
  TLIBATTR *attr = nullptr;
  ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
  EXPECT_EQ(attr->wMajorVerNum, 2);
  lib->ReleaseTLibAttr(attr);
  EXPECT_EQ(lib->Release(), 0u);
}

TEST_F(TypeLibLoad, ReadsHelpMembersAndAliasesOfAnotherLibrary) {
  ITypeLib *lib = Load(TYPELIB_SAMPLE_PATH);
  ASSERT_NE(lib, nullptr);
  TLIBATTR *libAttr = nullptr;
  ASSERT_EQ(lib->GetLibAttr(&libAttr), S_OK);
  EXPECT_EQ(libAttr->wMajorVerNum, 2);
  EXPECT_EQ(libAttr->wMinorVerNum, 3);
  lib->ReleaseTLibAttr(libAttr);
  Bstr file;
  DWORD context = 0;
  ASSERT_EQ(lib->GetDocumentation(-1, nullptr, nullptr, &context, file.out()), S_OK);
  EXPECT_EQ(file.str(), "sample.hlp");

  ITypeInfo *type = nullptr;
  TYPEATTR *attr = nullptr;
  ASSERT_EQ(lib->GetTypeInfoOfGuid(kSampleInterface, &type), S_OK);
  ASSERT_EQ(type->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->cFuncs, 2);
  EXPECT_EQ(attr->wTypeFlags, TYPEFLAG_FOLEAUTOMATION);
  type->ReleaseTypeAttr(attr);
  ASSERT_EQ(type->GetDocumentation(MEMBERID_NIL, nullptr, nullptr, nullptr, file.out()), S_OK);
  EXPECT_EQ(file.str(), "sample.hlp") << "a type's help file is its library's";
  type->Release();

  // The aliases' types, outermost first; a user-defined end resolves in the library.
  struct Alias {
    const char *name;
    std::vector<VARTYPE> steps;
  } aliases[] = {{"PSAMPLELONG", {VT_PTR, VT_I4}}, {"PPSAMPLEGUID", {VT_PTR, VT_PTR, VT_USERDEFINED}}};
  for (const Alias &a : aliases) {
    SCOPED_TRACE(a.name);
    ITypeInfo *alias = nullptr;
    for (UINT i = 0; i < lib->GetTypeInfoCount() && !alias; ++i) {
      Bstr name;
      lib->GetDocumentation(INT(i), name.out(), nullptr, nullptr, nullptr);
      if (name.str() == a.name) lib->GetTypeInfo(i, &alias);
    }
    ASSERT_NE(alias, nullptr);
    ASSERT_EQ(alias->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_ALIAS);
    std::vector<VARTYPE> steps;
    const TYPEDESC *step = &attr->tdescAlias;
    for (; step && steps.size() < 8; step = step->vt == VT_PTR ? step->lptdesc : nullptr) steps.push_back(step->vt);
    EXPECT_EQ(steps, a.steps);
    if (steps.back() == VT_USERDEFINED) {
      const TYPEDESC *last = &attr->tdescAlias;
      while (last->vt == VT_PTR) last = last->lptdesc;
      ITypeInfo *record = nullptr;
      ASSERT_EQ(alias->GetRefTypeInfo(last->hreftype, &record), S_OK);
      Bstr name;
      record->GetDocumentation(MEMBERID_NIL, name.out(), nullptr, nullptr, nullptr);
      EXPECT_EQ(name.str(), "_GUID");
      record->Release();
    }
    alias->ReleaseTypeAttr(attr);
    alias->Release();
  }
  EXPECT_EQ(lib->Release(), 0u);
}

TEST_F(TypeLibLoad, RefusesBadArgumentsAndFilesThatAreNoLibrary) {
  Scratch scratch;
  ITypeLib *lib = reinterpret_cast<ITypeLib *>(1);
  EXPECT_EQ(LoadTypeLib(nullptr, &lib), E_INVALIDARG);
  EXPECT_EQ(lib, reinterpret_cast<ITypeLib *>(1)) << "left as it was";
  EXPECT_EQ(LoadTypeLib(U16(TOVINCOPYSHL_TLB_PATH).c_str(), nullptr), E_INVALIDARG);
  const std::string cases[] = {
      scratch.dir() + "/missing.tlb", scratch.dir(), scratch.Write("text.tlb", {'h', 'e', 'l', 'l', 'o'}),
      COM_TEST_SERVER_PATH,  // a module without a type library
  };
  for (const std::string &path : cases) {
    HRESULT hr = S_OK;
    EXPECT_EQ(Load(path, &hr), nullptr) << path;
    EXPECT_EQ(hr, TYPE_E_CANTLOADLIBRARY) << path;
  }
}

TEST_F(TypeLibLoad, RegistersAsTheRegisterKindAsks) {
  const std::string full = TOVINCOPYSHL_TLB_PATH;
  const std::string folder = full.substr(0, full.find_last_of("/\\"));
  const std::string platformKey = std::string("TypeLib\\") + kLibraryText + "\\1.0\\0\\win32";
  struct Case {
    const char *file;
    REGKIND kind;
    bool registers;
  } cases[] = {
      {TOVINCOPYSHL_TLB_PATH, REGKIND_NONE, false},
      {TOVINCOPYSHL_TLB_PATH, REGKIND_DEFAULT, false},
      {"tovincopyshl.tlb", REGKIND_DEFAULT, true},
      {TOVINCOPYSHL_TLB_PATH, REGKIND_REGISTER, true},
  };
  std::error_code error;
  std::filesystem::current_path(folder, error);
  ASSERT_FALSE(error);
  for (const Case &c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + std::to_string(c.kind));
    RegDeleteTreeW(HKEY_CLASSES_ROOT, U16(std::string("TypeLib\\") + kLibraryText).c_str());
    ITypeLib *lib = nullptr;
    ASSERT_EQ(LoadTypeLibEx(U16(c.file).c_str(), c.kind, &lib), S_OK);
    lib->Release();
    // The path as registered is the substitute's own (typelib_seams_test.cpp); here it ends with the file's.
    const std::string registered = registry_test::Read(HKEY_CLASSES_ROOT, platformKey, "");
    EXPECT_EQ(!registered.empty(), c.registers);
    if (c.registers) {
      EXPECT_TRUE(registered.ends_with(full)) << registered;
    }
  }
}

TEST_F(TypeLibLoad, RegistrationFunctionsAreAutomationExports) {
  HMODULE automation = GetModuleHandleW(TEXT("OLEAUT32.DLL"));
  ASSERT_NE(automation, nullptr);
  for (const char *name : {"RegisterTypeLib", "UnRegisterTypeLib", "RegisterTypeLibForUser", "UnRegisterTypeLibForUser",
                           "LoadTypeLibEx"})
    EXPECT_NE(GetProcAddress(automation, name), nullptr) << name;
}

// A loaded library's tables count this process's pointers, whatever system it was built for.
TEST_F(TypeLibLoad, VirtualTableSizesCountThisProcesssPointers) {
  struct Case {
    const char *file;
    GUID type;
    WORD slots;
  } cases[] = {
      {TOVINCOPYSHL_TLB_PATH, kClass, 0},
      {TOVINCOPYSHL_TLB_PATH, kInterface, 3},
      {TYPELIB_SAMPLE_PATH, kSampleInterface, 5},
  };
  for (const Case &c : cases) {
    ITypeLib *lib = Load(c.file);
    ASSERT_NE(lib, nullptr);
    ITypeInfo *type = nullptr;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(c.type, &type), S_OK);
    TYPEATTR *attr = nullptr;
    ASSERT_EQ(type->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->cbSizeVft, c.slots * sizeof(void *));
    type->ReleaseTypeAttr(attr);
    type->Release();
    lib->Release();
  }
}

}  // namespace
