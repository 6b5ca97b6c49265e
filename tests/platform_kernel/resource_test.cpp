// Resources read from module files: the library's own, and made-up modules
// with valid and damaged ELF structure and resource records.
#include <windows.h>

#include <gtest/gtest.h>
#include <link.h>
#include <stdlib.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform_seams.h"
#include "support/resource_module.h"
#include "support/temp_directory.h"
#include "support/text.h"

using testing_resources::BuildElfWithSection;
using testing_resources::BuildRes;
using testing_resources::ResourceEntry;
using testing_text::U16;
using testing_text::WideString;

namespace {

std::string FileBytes(const std::string &path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream out;
  out << file.rdbuf();
  return out.str();
}

// Whether the dynamic linker has mapped the object at `path`.
bool Mapped(const char *path) {
  char wanted[PATH_MAX];
  if (!realpath(path, wanted)) return false;
  std::pair<const char *, bool> search{wanted, false};
  dl_iterate_phdr(
      [](dl_phdr_info *info, size_t, void *data) {
        auto *s = static_cast<std::pair<const char *, bool> *>(data);
        char resolved[PATH_MAX];
        if (info->dlpi_name && *info->dlpi_name && realpath(info->dlpi_name, resolved) &&
            std::strcmp(resolved, s->first) == 0)
          s->second = true;
        return 0;
      },
      &search);
  return search.second;
}

// The bytes of a resource, or "<error N>" when any step fails.
std::string Bytes(HMODULE module, LPCWSTR type, LPCWSTR name) {
  HRSRC found = FindResourceW(module, name, type);
  if (!found) return "<error " + std::to_string(GetLastError()) + ">";
  HGLOBAL loaded = LoadResource(module, found);
  const char *data = static_cast<const char *>(LockResource(loaded));
  if (!data) return "<error " + std::to_string(GetLastError()) + ">";
  return std::string(data, SizeofResource(module, found));
}

void Patch(std::string &bytes, size_t offset, uint64_t value, size_t width) {
  for (size_t i = 0; i < width; ++i) bytes[offset + i] = char((value >> (8 * i)) & 0xFF);
}

class Resources : public ::testing::Test {
 protected:
  void SetUp() override {
    seams::Reset();
    ASSERT_FALSE(scratch_.path().empty());
    directory_ = scratch_.path();
  }
  // Writes a file into the test's directory; returns its path as UTF-16.
  WideString File(const std::string &contents) {
    std::string path = directory_ + "/module" + std::to_string(files_.size()) + ".so";
    files_.push_back(path);
    EXPECT_TRUE(testing_resources::WriteFileBytes(path, contents));
    return U16(path);
  }
  HMODULE LoadData(const std::string &contents) {
    return LoadLibraryExW(File(contents).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  }

 private:
  testing_files::TempDirectory scratch_;
  std::string directory_;
  std::vector<std::string> files_;
};

TEST_F(Resources, LibraryResourcesAreReadFromTheFileWithoutRunningIt) {
  ASSERT_FALSE(Mapped(TOVINCOPYSHL_PATH));
  HMODULE library = LoadLibraryExW(U16(TOVINCOPYSHL_PATH).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(library, nullptr);
  EXPECT_FALSE(Mapped(TOVINCOPYSHL_PATH));

  const std::string appid = FileBytes(RESOURCES_DIR "/appid.rgs");
  const std::string classes = FileBytes(RESOURCES_DIR "/tovincopyshl_ext.rgs");
  ASSERT_EQ(appid.size(), 129u);
  ASSERT_EQ(classes.size(), 934u);
  EXPECT_EQ(Bytes(library, TEXT("REGISTRY"), MAKEINTRESOURCEW(101)), appid);
  EXPECT_EQ(Bytes(library, TEXT("registry"), TEXT("#102")), classes);
  EXPECT_EQ(Bytes(library, TEXT("TYPELIB"), MAKEINTRESOURCEW(1)).substr(0, 4), "MSFT");

  // String 100 is the fifth of block 7: four empty strings, then its length and units.
  const std::string strings = Bytes(library, RT_STRING, MAKEINTRESOURCEW(7));
  std::string expected(8, '\0');
  expected += std::string("\x0c\0", 2);
  for (char c : std::string("tovincopyshl")) expected += std::string(1, c) + '\0';
  EXPECT_EQ(strings.substr(0, expected.size()), expected);

  const std::string version = Bytes(library, RT_VERSION, MAKEINTRESOURCEW(1));
  ASSERT_GE(version.size(), 56u);
  EXPECT_EQ(uint8_t(version[0]) | uint8_t(version[1]) << 8, int(version.size()));
  EXPECT_EQ(version.substr(6, 4), std::string("V\0S\0", 4));
  EXPECT_EQ(version.substr(40, 4), "\xbd\x04\xef\xfe");         // fixed-info signature
  EXPECT_EQ(version.substr(48, 8), std::string("\x00\x00\x01\x00\x01\x00\x00\x00", 8));  // 1.0.0.1

  for (auto [type, name] : {std::pair<LPCWSTR, int>{TEXT("REGISTRY"), 101}, {TEXT("REGISTRY"), 102}, {TEXT("TYPELIB"), 1},
                            {RT_STRING, 7}, {RT_VERSION, 1}}) {
    EXPECT_NE(FindResourceExW(library, type, MAKEINTRESOURCEW(name), 0x0409), nullptr);
    EXPECT_EQ(FindResourceExW(library, type, MAKEINTRESOURCEW(name), 0x0407), nullptr);
  }
  EXPECT_TRUE(FreeLibrary(library));
  EXPECT_FALSE(Mapped(TOVINCOPYSHL_PATH));
}

TEST_F(Resources, LoadedModulesAndTheMainProgramAreReadFromTheirFiles) {
  HMODULE plain = LoadLibraryW(U16(PLAIN_DLL_PATH).c_str());
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(Bytes(plain, TEXT("REGISTRY"), MAKEINTRESOURCEW(101)), FileBytes(RESOURCES_DIR "/appid.rgs"));
  FreeLibrary(plain);

  int local = 0;
  struct Case {
    HMODULE module;
    DWORD error;
  } cases[] = {
      {nullptr, ERROR_RESOURCE_DATA_NOT_FOUND},  // the test program carries no resources
      {GetModuleHandleW(TEXT("kernel32.dll")), ERROR_RESOURCE_DATA_NOT_FOUND},
      {plain, ERROR_MOD_NOT_FOUND},  // unloaded
      {reinterpret_cast<HMODULE>(&local), ERROR_MOD_NOT_FOUND},
  };
  for (const Case &c : cases) {
    SetLastError(0);
    EXPECT_EQ(FindResourceW(c.module, MAKEINTRESOURCEW(101), TEXT("REGISTRY")), nullptr);
    EXPECT_EQ(GetLastError(), c.error);
  }
}

TEST_F(Resources, TypesNamesAndLanguagesAreMatchedAsTheSystemDoes) {
  const std::vector<ResourceEntry> entries = {
      {TEXT("Custom"), TEXT("First"), 0x0409, "text names"},
      {10, 1, 0x0407, "de-DE"}, {10, 1, 0x0409, "en-US"},
      {10, 2, 0x0407, "de-DE"}, {10, 2, 0x0000, "neutral"},
      {10, 3, 0x040C, "fr-FR"}, {10, 3, 0x0407, "de-DE"},
      {10, 4, 0x0409, ""},
  };
  for (bool elf64 : {true, false}) {
    SCOPED_TRACE(elf64 ? "ELF64" : "ELF32");
    HMODULE module = LoadData(BuildElfWithSection(".rsrc", BuildRes(entries), elf64));
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(Bytes(module, TEXT("CUSTOM"), TEXT("first")), "text names");
    EXPECT_EQ(Bytes(module, TEXT("#10"), TEXT("#4")), "");

    struct Pick {
      int name;
      LCID thread;
      std::string expected;
    } picks[] = {
        {1, 0x0407, "de-DE"},   {1, 0x0411, "en-US"},  // thread language, else English (United States)
        {2, 0x0409, "neutral"}, {3, 0x0411, "fr-FR"},  // neutral, else the first
    };
    for (const Pick &p : picks) {
      SCOPED_TRACE(p.name);
      ASSERT_TRUE(SetThreadLocale(p.thread));
      EXPECT_EQ(Bytes(module, RT_RCDATA, MAKEINTRESOURCEW(p.name)), p.expected);
      HRSRC neutral = FindResourceExW(module, RT_RCDATA, MAKEINTRESOURCEW(p.name), 0);
      EXPECT_EQ(neutral, FindResourceW(module, MAKEINTRESOURCEW(p.name), RT_RCDATA));
    }

    struct Miss {
      LPCWSTR type, name;
      WORD language;
      DWORD error;
    } misses[] = {
        {RT_STRING, MAKEINTRESOURCEW(1), 0, ERROR_RESOURCE_TYPE_NOT_FOUND},
        {TEXT("Customs"), TEXT("First"), 0, ERROR_RESOURCE_TYPE_NOT_FOUND},
        {RT_RCDATA, MAKEINTRESOURCEW(5), 0, ERROR_RESOURCE_NAME_NOT_FOUND},
        {RT_RCDATA, TEXT("1"), 0, ERROR_RESOURCE_NAME_NOT_FOUND},  // a text is no id
        {RT_RCDATA, MAKEINTRESOURCEW(1), 0x040C, ERROR_RESOURCE_LANG_NOT_FOUND},
        {RT_RCDATA, TEXT("#65536"), 0, ERROR_INVALID_PARAMETER},
        {RT_RCDATA, TEXT("#1x"), 0x0407, ERROR_INVALID_PARAMETER},
    };
    for (const Miss &m : misses) {
      SetLastError(0);
      EXPECT_EQ(FindResourceExW(module, m.type, m.name, m.language), nullptr);
      EXPECT_EQ(GetLastError(), m.error);
    }
    EXPECT_TRUE(FreeLibrary(module));
  }
}

TEST_F(Resources, HandlesFromElsewhereAreRefusedAndDataLastWhileLoaded) {
  const std::string image = BuildElfWithSection(".rsrc", BuildRes({{10, 1, 0x0409, "one"}}));
  HMODULE first = LoadData(image);
  HMODULE second = LoadLibraryExW(File(image).c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  HRSRC resource = FindResourceW(first, MAKEINTRESOURCEW(1), RT_RCDATA);
  ASSERT_NE(resource, nullptr);
  int local = 0;
  struct Case {
    HMODULE module;
    HRSRC resource;
    DWORD error;
  } cases[] = {
      {first, nullptr, ERROR_INVALID_HANDLE},
      {second, resource, ERROR_INVALID_HANDLE},  // another module's
      {first, reinterpret_cast<HRSRC>(&local), ERROR_INVALID_HANDLE},
      {first, reinterpret_cast<HRSRC>(reinterpret_cast<char *>(resource) + 1), ERROR_INVALID_HANDLE},
      {reinterpret_cast<HMODULE>(&local), resource, ERROR_MOD_NOT_FOUND},
  };
  for (const Case &c : cases) {
    SetLastError(0);
    EXPECT_EQ(LoadResource(c.module, c.resource), nullptr);
    EXPECT_EQ(GetLastError(), c.error);
    SetLastError(0);
    EXPECT_EQ(SizeofResource(c.module, c.resource), 0u);
    EXPECT_EQ(GetLastError(), c.error);
  }
  EXPECT_EQ(LockResource(nullptr), nullptr);

  const char *data = static_cast<const char *>(LockResource(LoadResource(first, resource)));
  ASSERT_NE(data, nullptr);
  EXPECT_TRUE(FreeLibrary(second));
  EXPECT_EQ(std::string(data, 3), "one");
  EXPECT_TRUE(FreeLibrary(first));
  SetLastError(0);
  EXPECT_EQ(LoadResource(first, resource), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
}

TEST_F(Resources, DamagedModulesAreRefusedWithTheirCodes) {
  const std::string res = BuildRes({{10, 1, 0x0409, "data"}});
  const std::string good = BuildElfWithSection(".rsrc", res);
  const size_t shoff = 40, shentsize = 58, shnum = 60, shstrndx = 62;
  const size_t table = size_t(uint8_t(good[shoff])) | size_t(uint8_t(good[shoff + 1])) << 8;
  const size_t rsrcHeader = table + 2 * 64;
  const size_t second = 32;  // the record after the leading one
  auto elf = [&](size_t offset, uint64_t value, size_t width) {
    std::string damaged = good;
    Patch(damaged, offset, value, width);
    return damaged;
  };
  auto resWith = [&](size_t offset, uint64_t value, uint64_t dataSize = 4) {
    std::string damaged = res;
    Patch(damaged, second, dataSize, 4);
    Patch(damaged, offset, value, 4);
    return BuildElfWithSection(".rsrc", damaged);
  };
  std::string unterminated = res.substr(0, 32);  // a header whose type text fills it
  unterminated += std::string("\0\0\0\0\x20\0\0\0", 8) + std::string("A\0B\0C\0D\0", 8) + std::string(16, '\0');

  struct Case {
    const char *what;
    std::string file;
    DWORD loadError;  // 0: loads, and finding fails with findError
    DWORD findError;
  } cases[] = {
      {"not ELF", "not a library at all, just text", ERROR_BAD_EXE_FORMAT, 0},
      {"empty file", "", ERROR_BAD_EXE_FORMAT, 0},
      {"truncated ELF header", good.substr(0, 40), ERROR_BAD_EXE_FORMAT, 0},
      {"unknown class", elf(4, 3, 1), ERROR_BAD_EXE_FORMAT, 0},
      {"section table past the end", elf(shoff, good.size() - 64, 8), ERROR_BAD_EXE_FORMAT, 0},
      {"section table offset overflows", elf(shoff, ~0ull - 8, 8), ERROR_BAD_EXE_FORMAT, 0},
      {"entries smaller than a section header", elf(shentsize, 32, 2), ERROR_BAD_EXE_FORMAT, 0},
      {"more entries than the file holds", elf(shnum, 0xFFFE, 2), ERROR_BAD_EXE_FORMAT, 0},
      {"name table index out of range", elf(shstrndx, 3, 2), ERROR_BAD_EXE_FORMAT, 0},
      {"section name past the name table", elf(rsrcHeader, 0x1000, 4), ERROR_BAD_EXE_FORMAT, 0},
      {".rsrc offset past the end", elf(rsrcHeader + 24, good.size() + 1, 8), ERROR_BAD_EXE_FORMAT, 0},
      {".rsrc size past the end", elf(rsrcHeader + 32, good.size(), 8), ERROR_BAD_EXE_FORMAT, 0},
      {".rsrc extent overflows", elf(rsrcHeader + 32, ~0ull - 16, 8), ERROR_BAD_EXE_FORMAT, 0},
      {"no .rsrc", BuildElfWithSection(".data", res), 0, ERROR_RESOURCE_DATA_NOT_FOUND},
      {"empty .rsrc", BuildElfWithSection(".rsrc", ""), 0, ERROR_RESOURCE_DATA_NOT_FOUND},
      {"only the leading record", BuildElfWithSection(".rsrc", BuildRes({})), 0, ERROR_RESOURCE_TYPE_NOT_FOUND},
      {"truncated .res", BuildElfWithSection(".rsrc", res.substr(0, 40)), 0, ERROR_INVALID_DATA},
      {"trailing bytes", BuildElfWithSection(".rsrc", res + "xyz"), 0, ERROR_INVALID_DATA},
      {"no leading record", BuildElfWithSection(".rsrc", res.substr(32)), 0, ERROR_INVALID_DATA},
      {"header smaller than its fields", resWith(second + 4, 16), 0, ERROR_INVALID_DATA},
      {"header size not DWORD-aligned", resWith(second + 4, 34), 0, ERROR_INVALID_DATA},
      {"header larger than its fields", resWith(second + 4, 36, 0), 0, ERROR_INVALID_DATA},
      {"header past the section", resWith(second + 4, 0xFFFFFFF0), 0, ERROR_INVALID_DATA},
      {"data past the section", resWith(second, 5), 0, ERROR_INVALID_DATA},
      {"huge data size", resWith(second, 0xFFFFFFFF), 0, ERROR_INVALID_DATA},
      {"unterminated type text", BuildElfWithSection(".rsrc", unterminated), 0, ERROR_INVALID_DATA},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    SetLastError(0);
    HMODULE module = LoadData(c.file);
    if (c.loadError) {
      EXPECT_EQ(module, nullptr);
      EXPECT_EQ(GetLastError(), c.loadError);
      continue;
    }
    ASSERT_NE(module, nullptr);
    SetLastError(0);
    EXPECT_EQ(FindResourceW(module, MAKEINTRESOURCEW(1), RT_RCDATA), nullptr);
    EXPECT_EQ(GetLastError(), c.findError);
    EXPECT_TRUE(FreeLibrary(module));
  }
  SetLastError(0);
  EXPECT_EQ(LoadLibraryExW(TEXT("/nonexistent/module.so"), nullptr, LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
}

TEST_F(Resources, FaultsAreInjectedByOperationAndResource) {
  HMODULE module = LoadData(BuildElfWithSection(".rsrc", BuildRes({{TEXT("REGISTRY"), 101, 0x0409, "a"},
                                                                   {TEXT("REGISTRY"), 102, 0x0409, "b"}})));
  ASSERT_NE(module, nullptr);
  seams::SetRecording(true);
  seams::FailOperation("FindResourceW", ERROR_RESOURCE_NAME_NOT_FOUND, 0, "registry/#101");
  seams::FailOperation("FindResourceExW", ERROR_NOT_ENOUGH_MEMORY, 1);
  seams::FailOperation("LoadResource", ERROR_NOT_ENOUGH_MEMORY, 1);
  SetLastError(0);
  EXPECT_EQ(FindResourceW(module, MAKEINTRESOURCEW(101), TEXT("REGISTRY")), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
  HRSRC other = FindResourceW(module, MAKEINTRESOURCEW(102), TEXT("REGISTRY"));
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(FindResourceExW(module, TEXT("REGISTRY"), MAKEINTRESOURCEW(101), 0x0409), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_ENOUGH_MEMORY));
  EXPECT_NE(FindResourceExW(module, TEXT("REGISTRY"), MAKEINTRESOURCEW(101), 0x0409), nullptr);
  EXPECT_EQ(LoadResource(module, other), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_ENOUGH_MEMORY));
  EXPECT_NE(LoadResource(module, other), nullptr);

  char handle[32];
  std::snprintf(handle, sizeof handle, "module=%p", static_cast<void *>(module));
  std::vector<seams::Call> finds = seams::Calls("FindResourceExW");
  ASSERT_EQ(finds.size(), 2u);
  EXPECT_EQ(finds[0].subject, "REGISTRY/#101");
  EXPECT_EQ(finds[0].arguments, std::string(handle) + " language=0x0409");
  EXPECT_TRUE(FreeLibrary(module));
}

}  // namespace
