// Damaged copies of the built type library are refused with a clear code.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <functional>

#include "platform_seams.h"
#include "typelib_support.h"

using namespace typelib_test;

namespace {

using Bytes = std::vector<uint8_t>;

struct Damage {
  const char *name;
  std::function<void(Bytes &)> apply;
  HRESULT expected;
};

const Damage kDamages[] = {
    {"empty", [](Bytes &b) { b.clear(); }, TYPE_E_CANTLOADLIBRARY},
    {"magic only", [](Bytes &b) { b.resize(4); }, TYPE_E_INVDATAREAD},
    {"other version", [](Bytes &b) { Put32(b, 4, 0x00010003); }, TYPE_E_UNSUPFORMAT},
    {"cut in the header", [](Bytes &b) { b.resize(0x40); }, TYPE_E_INVDATAREAD},
    {"cut in the directory", [](Bytes &b) { b.resize(DirectoryEntry(b, 8)); }, TYPE_E_INVDATAREAD},
    {"cut in the strings", [](Bytes &b) { b.resize(SegmentStart(b, 8) + 8); }, TYPE_E_INVDATAREAD},
    {"last byte missing", [](Bytes &b) { b.pop_back(); }, TYPE_E_INVDATAREAD},
    {"type count too large", [](Bytes &b) { Put32(b, 0x20, 0x7FFFFFFF); }, TYPE_E_INVDATAREAD},
    {"type count negative", [](Bytes &b) { Put32(b, 0x20, 0xFFFFFFFE); }, TYPE_E_INVDATAREAD},
    {"unknown system kind", [](Bytes &b) { Put32(b, 0x14, 0x45); }, TYPE_E_INVDATAREAD},
    {"segment inside the directory", [](Bytes &b) { Put32(b, DirectoryEntry(b, 7), 0x60); }, TYPE_E_INVDATAREAD},
    {"segment past the end", [](Bytes &b) { Put32(b, DirectoryEntry(b, 8) + 4, 0x10000); }, TYPE_E_INVDATAREAD},
    {"segment of negative length", [](Bytes &b) { Put32(b, DirectoryEntry(b, 5) + 4, 0xFFFFFFF0); },
     TYPE_E_INVDATAREAD},
    {"overlapping segments", [](Bytes &b) { Put32(b, DirectoryEntry(b, 8), uint32_t(SegmentStart(b, 7))); },
     TYPE_E_INVDATAREAD},
    {"library guid outside", [](Bytes &b) { Put32(b, 0x08, 0xB0); }, TYPE_E_INVDATAREAD},
    {"library name outside", [](Bytes &b) { Put32(b, 0x38, 0x54); }, TYPE_E_INVDATAREAD},
    {"help string outside", [](Bytes &b) { Put32(b, 0x24, 0x7FFFFFF0); }, TYPE_E_INVDATAREAD},
    {"name longer than its table", [](Bytes &b) { b.at(SegmentStart(b, 7) + 8) = 0xFF; }, TYPE_E_INVDATAREAD},
    {"string longer than its table", [](Bytes &b) { Put16(b, SegmentStart(b, 8), 0x1000); }, TYPE_E_INVDATAREAD},
    {"type info outside", [](Bytes &b) { Put32(b, 0x58, 0xC8); }, TYPE_E_INVDATAREAD},
    {"unknown type kind", [](Bytes &b) { b.at(TypeInfoAt(b, 0)) |= 0x0F; }, TYPE_E_INVDATAREAD},
    {"more interfaces than references", [](Bytes &b) { Put16(b, TypeInfoAt(b, 0) + 0x4C, 0xFFFF); },
     TYPE_E_INVDATAREAD},
    {"interface chain outside", [](Bytes &b) { Put32(b, TypeInfoAt(b, 0) + 0x54, 0x100); }, TYPE_E_INVDATAREAD},
    {"two base interfaces", [](Bytes &b) { Put16(b, TypeInfoAt(b, 1) + 0x4C, 2); }, TYPE_E_INVDATAREAD},
    {"members past the end", [](Bytes &b) { Put32(b, TypeInfoAt(b, 1) + 0x18, 0xFFFF); }, TYPE_E_INVDATAREAD},
    {"guid hash outside", [](Bytes &b) { Put32(b, SegmentStart(b, 4), 0x1000); }, TYPE_E_INVDATAREAD},
    {"name hash outside", [](Bytes &b) { Put32(b, SegmentStart(b, 6), 0x1000); }, TYPE_E_INVDATAREAD},
    {"import count too large", [](Bytes &b) { Put32(b, 0x50, 100); }, TYPE_E_INVDATAREAD},
    {"import file outside", [](Bytes &b) { Put32(b, SegmentStart(b, 1) + 4, 0x100); }, TYPE_E_INVDATAREAD},
};

TEST(TypeLibDamage, EachDamageIsRefusedWithItsCode) {
  seams::Reset();
  const Bytes good = ReadBytes(TOVINCOPYSHL_TLB_PATH);
  ASSERT_GT(good.size(), 0x100u);
  Scratch scratch;
  for (const Damage &d : kDamages) {
    Bytes bytes = good;
    d.apply(bytes);
    HRESULT hr = S_OK;
    EXPECT_EQ(Load(scratch.Write("damaged.tlb", bytes), &hr), nullptr) << d.name;
    EXPECT_EQ(hr, d.expected) << d.name;
  }
}

// The last segment ends the file, so any shorter copy misses a part. Sampled
// every few bytes: each load writes a file.
TEST(TypeLibDamage, TruncationsAreRefusedAndNoByteCrashes) {
  seams::Reset();
  const Bytes good = ReadBytes(TOVINCOPYSHL_TLB_PATH);
  Scratch scratch;
  for (size_t size = 0; size < good.size(); size += 13) {
    HRESULT hr = S_OK;
    EXPECT_EQ(Load(scratch.Write("cut.tlb", Bytes(good.begin(), good.begin() + long(size))), &hr), nullptr) << size;
    EXPECT_TRUE(hr == TYPE_E_INVDATAREAD || hr == TYPE_E_CANTLOADLIBRARY) << size;
  }
  for (size_t at = 0; at < good.size(); at += 7) {
    Bytes bytes = good;
    bytes[at] ^= 0xFF;
    if (ITypeLib *lib = Load(scratch.Write("flipped.tlb", bytes))) lib->Release();
  }
}

}  // namespace
