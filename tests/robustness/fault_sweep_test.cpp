// Every fallible call on the registration path made to fail in turn: each
// registry operation, each type-library and resource operation, and each heap
// allocation of the library, for every registration export. Whatever fails,
// the export returns that failure's HRESULT or S_OK with everything done,
// releases every handle and block it took, and a clean registration afterwards
// writes exactly the server's keys.
#include <gtest/gtest.h>

#include <sstream>

#include "library_allocations.h"
#include "platform_seams.h"
#include "tests/registration/host_registration.h"

namespace {

using namespace registration;

const std::string kLibrary = TOVINCOPYSHL_PATH;
const WCHAR kUser[] = TEXT("user");

enum class Entry { Register, Unregister, Install, Uninstall };

struct Export {
  const char *name;
  Entry entry;
  bool perUser;
};

const Export kExports[] = {
    {"DllRegisterServer", Entry::Register, false},
    {"DllUnregisterServer", Entry::Unregister, false},
    {"DllInstallMachine", Entry::Install, false},
    {"DllUninstallMachine", Entry::Uninstall, false},
    {"DllInstallUser", Entry::Install, true},
    {"DllUninstallUser", Entry::Uninstall, true},
};

// A fault: the seam operation (or "heap" for the library's own allocations),
// the code it fails with, and the HRESULT the export must then return. The
// type-library functions report a registry failure as TYPE_E_REGISTRYACCESS
// and a library they cannot read as TYPE_E_CANTLOADLIBRARY, as they document.
struct Fault {
  const char *operation;
  uint32_t code;
  HRESULT expected;
  HRESULT fromTypeLibrary;
};

constexpr HRESULT Win32(uint32_t code) { return static_cast<HRESULT>(0x80070000u | code); }
constexpr uint32_t kRegistryAccessCode = 0x8002801C;
constexpr HRESULT kRegistryAccess = static_cast<HRESULT>(kRegistryAccessCode);
constexpr HRESULT kCannotLoad = static_cast<HRESULT>(0x80029C4A);

const Fault kFaults[] = {
    {"RegOpenKeyExW", ERROR_ACCESS_DENIED, Win32(ERROR_ACCESS_DENIED), kRegistryAccess},
    {"RegCreateKeyExW", ERROR_ACCESS_DENIED, Win32(ERROR_ACCESS_DENIED), kRegistryAccess},
    {"RegCreateKeyExW", ERROR_OUTOFMEMORY, E_OUTOFMEMORY, kRegistryAccess},
    {"RegSetValueExW", ERROR_ACCESS_DENIED, Win32(ERROR_ACCESS_DENIED), kRegistryAccess},
    {"RegSetValueExW", ERROR_OUTOFMEMORY, E_OUTOFMEMORY, kRegistryAccess},
    {"RegQueryValueExW", ERROR_ACCESS_DENIED, Win32(ERROR_ACCESS_DENIED), kRegistryAccess},
    {"RegQueryInfoKeyW", ERROR_ACCESS_DENIED, Win32(ERROR_ACCESS_DENIED), kRegistryAccess},
    {"RegEnumKeyExW", ERROR_ACCESS_DENIED, Win32(ERROR_ACCESS_DENIED), kRegistryAccess},
    {"RegEnumValueW", ERROR_ACCESS_DENIED, Win32(ERROR_ACCESS_DENIED), kRegistryAccess},
    {"RegDeleteValueW", ERROR_ACCESS_DENIED, Win32(ERROR_ACCESS_DENIED), kRegistryAccess},
    {"RegDeleteKeyW", ERROR_ACCESS_DENIED, Win32(ERROR_ACCESS_DENIED), kRegistryAccess},
    {"RegDeleteKeyExW", ERROR_ACCESS_DENIED, Win32(ERROR_ACCESS_DENIED), kRegistryAccess},
    {"RegDeleteTreeW", ERROR_ACCESS_DENIED, Win32(ERROR_ACCESS_DENIED), kRegistryAccess},
    {"RegGetValueW", ERROR_ACCESS_DENIED, Win32(ERROR_ACCESS_DENIED), kRegistryAccess},
    {"RegCloseKey", ERROR_INVALID_HANDLE, Win32(ERROR_INVALID_HANDLE), kRegistryAccess},
    {"FindResourceW", ERROR_RESOURCE_TYPE_NOT_FOUND, Win32(ERROR_RESOURCE_TYPE_NOT_FOUND), kCannotLoad},
    {"LoadResource", ERROR_NOT_ENOUGH_MEMORY, Win32(ERROR_NOT_ENOUGH_MEMORY), kCannotLoad},
    {"LoadTypeLib", kRegistryAccessCode, kRegistryAccess, kCannotLoad},
    {"LoadTypeLibEx", kRegistryAccessCode, kRegistryAccess, kCannotLoad},
    {"RegisterTypeLib", kRegistryAccessCode, kRegistryAccess, 0},
    {"RegisterTypeLibForUser", kRegistryAccessCode, kRegistryAccess, 0},
    {"UnRegisterTypeLib", kRegistryAccessCode, kRegistryAccess, 0},
    {"UnRegisterTypeLibForUser", kRegistryAccessCode, kRegistryAccess, 0},
    {"CoTaskMemAlloc", 0, E_OUTOFMEMORY, 0},
    {"CoTaskMemRealloc", 0, E_OUTOFMEMORY, 0},
    {"SysAllocString", 0, E_OUTOFMEMORY, 0},
    {"heap", 0, E_OUTOFMEMORY, 0},
};

struct Sweep {
  Export target;
  Fault fault;
};

std::string SweepName(const ::testing::TestParamInfo<Sweep> &info) {
  return std::string(info.param.target.name) + "_" + info.param.fault.operation + "_" +
         std::to_string(info.param.fault.code);
}

void PrintTo(const Sweep &sweep, std::ostream *out) {
  *out << sweep.target.name << " with " << sweep.fault.operation << " failing";
}

// Whether every line of the listing is one that removal leaves.
bool OnlySharedKeys(const std::string &listing) {
  const std::string shared = UnregisteredListing();
  std::istringstream lines(listing);
  for (std::string line; std::getline(lines, line);)
    if (shared.find(line + "\n") == std::string::npos) return false;
  return true;
}

std::vector<Sweep> AllSweeps() {
  std::vector<Sweep> sweeps;
  for (const Export &target : kExports)
    for (const Fault &fault : kFaults) sweeps.push_back({target, fault});
  return sweeps;
}

class FaultSweep : public ::testing::TestWithParam<Sweep> {
 protected:
  void SetUp() override {
    seams::Reset();
    ASSERT_TRUE(library.loaded());
    if (Heap() && !library_allocations::Available())
      GTEST_SKIP() << "the allocation replacement is not built under a sanitizer's own allocator (its leak checker "
                      "covers this part)";
  }
  void TearDown() override { library_allocations::StopWatching(); }

  bool Heap() const { return std::string(GetParam().fault.operation) == "heap"; }
  // The fault's seam operation; a name that is none aborts the sweep.
  seams::Operation Operation() const { return seams::Operation::Named(GetParam().fault.operation); }
  bool PerUser() const { return GetParam().target.perUser; }
  bool Removes() const {
    Entry entry = GetParam().target.entry;
    return entry == Entry::Unregister || entry == Entry::Uninstall;
  }

  HRESULT Call(Entry entry) const {
    const WCHAR *commandLine = PerUser() ? kUser : nullptr;
    switch (entry) {
      case Entry::Register: return library.Register();
      case Entry::Unregister: return library.Unregister();
      case Entry::Install: return library.Install(TRUE, commandLine);
      case Entry::Uninstall: return library.Install(FALSE, commandLine);
    }
    return E_UNEXPECTED;
  }
  // The registration that the exports of this half make.
  HRESULT CleanRegistration() const { return Call(PerUser() ? Entry::Install : Entry::Register); }

  // A fresh registry in the state the export starts from.
  void Prepare() const {
    seams::SetRegistryFile("");
    if (Removes()) {
      ASSERT_EQ(S_OK, CleanRegistration());
    }
  }
  std::string Written() const { return PerUser() ? UserClasses() : MachineClasses(); }
  std::string Untouched() const { return PerUser() ? MachineClasses() : UserClasses(); }
  std::string Done() const { return Removes() ? UnregisteredListing() : RegisteredListing(kLibrary); }

  // The export's calls of the fault's operation in a clean run.
  unsigned CountCalls() {
    Prepare();
    const unsigned before = Heap() ? 0 : seams::CallCount(Operation());
    if (Heap()) {
      EXPECT_TRUE(library_allocations::Watch(kLibrary));
    }
    EXPECT_EQ(S_OK, Call(GetParam().target.entry));
    const unsigned calls = Heap() ? library_allocations::Count() : seams::CallCount(Operation()) - before;
    EXPECT_EQ(Done(), Written());
    return calls;
  }

  ServerLibrary library;
};

TEST_P(FaultSweep, EachFailureIsReportedCleanedUpAndRecoverable) {
  const Fault &fault = GetParam().fault;
  const unsigned calls = CountCalls();
  // The script's replacement map always takes the library's own heap.
  if (Heap()) {
    EXPECT_LT(0u, calls);
  }
  for (unsigned n = 1; n <= calls && !HasFailure(); ++n) {
    SCOPED_TRACE("failing call " + std::to_string(n) + " of " + std::to_string(calls));
    Prepare();
    const unsigned keys = seams::OpenRegistryKeys(), blocks = seams::LiveTaskMemoryBlocks(),
                   strings = seams::LiveSysStrings();
    if (Heap()) {
      library_allocations::Watch(kLibrary);
      library_allocations::FailNth(n);
    } else {
      seams::FailOperation(Operation(), fault.code, n);
    }
    const HRESULT hr = Call(GetParam().target.entry);
    seams::ClearFaults();
    library_allocations::FailNth(0);
    if (hr == S_OK) {
      EXPECT_EQ(Done(), Written()) << "success reported with work left undone";
    } else {
      EXPECT_TRUE(hr == fault.expected || (fault.fromTypeLibrary && hr == fault.fromTypeLibrary))
          << std::hex << "HRESULT 0x" << static_cast<uint32_t>(hr);
      // A failed installation is undone (by a removal that meets no fault):
      // at most the shared keys that removal keeps are left.
      if (GetParam().target.entry == Entry::Install) {
        EXPECT_TRUE(OnlySharedKeys(Written())) << Written();
      }
    }
    // A refused RegCloseKey leaves its handle open, as a failed close does.
    const unsigned refusedClose = std::string(fault.operation) == "RegCloseKey" ? 1 : 0;
    EXPECT_EQ(keys + refusedClose, seams::OpenRegistryKeys()) << "key handles left open";
    EXPECT_EQ(blocks, seams::LiveTaskMemoryBlocks()) << "task memory leaked";
    EXPECT_EQ(strings, seams::LiveSysStrings()) << "strings leaked";
    EXPECT_EQ(0u, library_allocations::Live()) << "heap blocks leaked";
    library_allocations::StopWatching();

    ASSERT_EQ(S_OK, CleanRegistration());
    EXPECT_EQ(RegisteredListing(kLibrary), Written());
    EXPECT_EQ("", Untouched());
  }
}

INSTANTIATE_TEST_SUITE_P(Exports, FaultSweep, ::testing::ValuesIn(AllSweeps()), SweepName);

}  // namespace

// Removal of a registration missing one part (interrupted, or partly removed
// by hand) still removes every other part, whatever it returns.
class PartialRemoval : public ::testing::TestWithParam<const WCHAR *> {};

TEST_P(PartialRemoval, RemovesEverythingLeft) {
  seams::Reset();
  ServerLibrary library;
  ASSERT_TRUE(library.loaded());
  ASSERT_EQ(S_OK, library.Register());
  ASSERT_EQ(ERROR_SUCCESS, RegDeleteTreeW(HKEY_CLASSES_ROOT, GetParam()));
  library.Unregister();
  EXPECT_EQ(UnregisteredListing(), MachineClasses());
}

INSTANTIATE_TEST_SUITE_P(Parts, PartialRemoval,
                         ::testing::Values(TEXT("TypeLib\\{308D0CF8-2449-4115-9E32-FD0217BE1B79}"),
                                           TEXT("CLSID\\{1955A1E8-C828-42AF-A571-081D65B07B83}"),
                                           TEXT("AppID\\tovincopyshl.DLL"),
                                           TEXT("Folder\\ShellEx\\ContextMenuHandlers\\TovinCopyShlExt")));
