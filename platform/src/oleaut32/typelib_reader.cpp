// The layout: a header of 0x54 bytes (one more word when it names a help DLL),
// the offsets of the type infos, and a directory of 15 segments {offset,
// length, -1, 0x0F}; every other field indexes one of the segments. Segment
// offsets are file offsets; the others are offsets inside their segment.
//
// Error codes: Windows documents TYPE_E_UNSUPFORMAT for a library in a format
// it does not read and TYPE_E_INVDATAREAD for a failure reading the library's
// data; a damaged library is refused with the latter. E_FAIL is never used.
#include "oleaut32/typelib_reader.h"

#include <cstring>
#include <new>

namespace typelib {
namespace {

constexpr uint32_t kMagic = 0x5446534D;  // "MSFT"
constexpr uint32_t kVersion = 0x00010002;
constexpr size_t kHeaderSize = 0x54;
constexpr uint32_t kHasHelpDll = 0x100;
constexpr size_t kSegmentCount = 15;
constexpr size_t kTypeInfoSize = 0x64;
constexpr size_t kGuidEntrySize = 24;
constexpr size_t kRefEntrySize = 16;
constexpr size_t kTypeDescSize = 8;

enum Segment : size_t {
  kTypeInfos = 0,
  kImpInfos = 1,
  kImpFiles = 2,
  kRefs = 3,
  kGuidHash = 4,
  kGuids = 5,
  kNameHash = 6,
  kNames = 7,
  kStrings = 8,
  kTypeDescs = 9,
};

struct Range {
  bool present = false;
  uint64_t offset = 0, length = 0;
};

class Reader {
 public:
  Reader(const uint8_t *data, size_t size) : data_(data), size_(size) {}

  // Little-endian fields. Callers check the range first; outside the buffer they read as 0.
  uint16_t U16(uint64_t at) const { return Fits(at, 2) ? uint16_t(data_[at] | data_[at + 1] << 8) : 0; }
  uint32_t U32(uint64_t at) const {
    return Fits(at, 4) ? uint32_t(data_[at]) | uint32_t(data_[at + 1]) << 8 | uint32_t(data_[at + 2]) << 16 |
                             uint32_t(data_[at + 3]) << 24
                       : 0;
  }
  int32_t I32(uint64_t at) const { return int32_t(U32(at)); }
  bool Fits(uint64_t at, uint64_t length) const { return at <= size_ && length <= size_ - at; }
  const uint8_t *At(uint64_t at) const { return data_ + at; }
  size_t size() const { return size_; }

  // The file offset of `length` bytes at `offset` inside a segment; false when
  // the segment is absent or they do not lie inside it.
  bool InSegment(Segment s, int64_t offset, uint64_t length, uint64_t *at) const {
    const Range &r = segments_[s];
    if (!r.present || offset < 0 || uint64_t(offset) > r.length || length > r.length - uint64_t(offset)) return false;
    *at = r.offset + uint64_t(offset);
    return true;
  }
  const Range &segment(Segment s) const { return segments_[s]; }

  bool ReadDirectory(uint64_t at) {
    const uint64_t end = at + kSegmentCount * 16;
    if (!Fits(at, end - at)) return false;
    for (size_t i = 0; i < kSegmentCount; ++i) {
      const int32_t offset = I32(at + 16 * i), length = I32(at + 16 * i + 4);
      if (offset == -1) continue;
      // A segment inside the header, the directory or past the end is damage.
      if (offset < 0 || length < 0 || uint64_t(offset) < end || !Fits(uint64_t(offset), uint64_t(length))) return false;
      segments_[i] = Range{true, uint64_t(offset), uint64_t(length)};
    }
    for (size_t i = 0; i < kSegmentCount; ++i)
      for (size_t j = i + 1; j < kSegmentCount; ++j) {
        const Range &a = segments_[i], &b = segments_[j];
        if (a.present && b.present && a.length && b.length && a.offset < b.offset + b.length &&
            b.offset < a.offset + a.length)
          return false;
      }
    return true;
  }

 private:
  const uint8_t *data_;
  size_t size_;
  Range segments_[kSegmentCount];
};

bool ReadGuid(const Reader &r, int32_t offset, GUID *out) {
  uint64_t at;
  if (!r.InSegment(kGuids, offset, kGuidEntrySize, &at)) return false;
  out->Data1 = r.U32(at);
  out->Data2 = r.U16(at + 4);
  out->Data3 = r.U16(at + 6);
  std::memcpy(out->Data4, r.At(at + 8), 8);
  return true;
}

// Entries: {hreftype, next in hash chain, length in the low byte | flags | hash}, then the characters.
bool ReadName(const Reader &r, int32_t offset, Text *out) {
  if (offset == -1) return true;
  uint64_t at;
  if (!r.InSegment(kNames, offset, 12, &at)) return false;
  const uint64_t length = r.U32(at + 8) & 0xFF;
  if (!r.InSegment(kNames, offset, 12 + length, &at)) return false;
  out->present = true;
  out->bytes.assign(reinterpret_cast<const char *>(r.At(at + 12)), length);
  return true;
}

// Entries: a 16-bit length, then the characters.
bool ReadString(const Reader &r, int32_t offset, Text *out) {
  if (offset == -1) return true;
  uint64_t at;
  if (!r.InSegment(kStrings, offset, 2, &at)) return false;
  const uint16_t length = r.U16(at);
  if (!r.InSegment(kStrings, offset, 2 + uint64_t(length), &at)) return false;
  out->present = true;
  out->bytes.assign(reinterpret_cast<const char *>(r.At(at + 2)), length);
  return true;
}

// Every bucket of a hash segment is empty (-1) or the offset of an entry of its table.
bool CheckHash(const Reader &r, Segment hash, Segment table, uint64_t entrySize) {
  const Range &h = r.segment(hash);
  if (!h.present) return true;
  if (h.length % 4) return false;
  for (uint64_t i = 0; i < h.length; i += 4) {
    const int32_t entry = r.I32(h.offset + i);
    uint64_t at;
    if (entry != -1 && !r.InSegment(table, entry, entrySize, &at)) return false;
  }
  return true;
}

// A type is a base type (high bit set, VARTYPE in the low word) or the
// offset of an entry {VARTYPE, 16 bits, base type or offset or hreftype}.
bool ReadAlias(const Reader &r, int32_t type, std::vector<TypeStep> *out) {
  for (size_t depth = 0; depth < kMaxTypeSteps; ++depth) {
    if (type < 0) {
      out->push_back(TypeStep{VARTYPE(type & 0xFFFF), 0});
      return true;
    }
    uint64_t at;
    if (!r.InSegment(kTypeDescs, type, kTypeDescSize, &at)) return false;
    const VARTYPE vt = r.U16(at);
    const int32_t next = r.I32(at + 4);
    if (vt == VT_PTR || vt == VT_SAFEARRAY) {
      out->push_back(TypeStep{vt, 0});
      type = next;
      continue;
    }
    out->push_back(TypeStep{vt, vt == VT_USERDEFINED ? HREFTYPE(next) : 0});
    return true;
  }
  return false;  // deeper than any real type: the entries form a loop
}

// A class's interfaces are a chain of entries {hreftype, flags, custom data, next}.
bool ReadImplChain(const Reader &r, int32_t first, WORD count, std::vector<ImplType> *out) {
  if (count * kRefEntrySize > r.segment(kRefs).length) return false;
  int32_t entry = first;
  for (WORD i = 0; i < count; ++i) {
    uint64_t at;
    if (!r.InSegment(kRefs, entry, kRefEntrySize, &at)) return false;
    out->push_back(ImplType{r.U32(at), r.I32(at + 4)});
    entry = r.I32(at + 12);
  }
  return true;
}

// The members' block: {size of the records}, the records, then the member
// ids, names and record offsets, one word each per member.
bool CheckMembers(const Reader &r, int32_t offset, unsigned members) {
  if (members == 0) return true;
  if (offset < 0 || !r.Fits(uint64_t(offset), 4)) return false;
  const int32_t recordBytes = r.I32(uint64_t(offset));
  if (recordBytes < 0) return false;
  return r.Fits(uint64_t(offset) + 4, uint64_t(recordBytes) + 12ull * members);
}

bool ReadType(const Reader &r, int32_t self, SYSKIND syskind, TypeRecord *t) {
  uint64_t at;
  if (!r.InSegment(kTypeInfos, self, kTypeInfoSize, &at)) return false;
  const uint32_t kindWord = r.U32(at), elements = r.U32(at + 0x18), version = r.U32(at + 0x38);
  const int32_t memberOffset = r.I32(at + 0x04), guid = r.I32(at + 0x2C), name = r.I32(at + 0x34),
                doc = r.I32(at + 0x3C), datatype = r.I32(at + 0x54);
  const uint16_t impls = r.U16(at + 0x4C), vft = r.U16(at + 0x4E);

  if ((kindWord & 0xF) >= TKIND_MAX) return false;
  t->self = HREFTYPE(self);
  t->kind = TYPEKIND(kindWord & 0xF);
  t->alignment = WORD((kindWord >> 11) & 0x1F);
  t->funcs = WORD(elements & 0xFFFF);
  t->vars = WORD(elements >> 16);
  t->flags = WORD(r.U32(at + 0x30));
  t->major = WORD(version & 0xFFFF);
  t->minor = WORD(version >> 16);
  t->helpContext = r.U32(at + 0x44);
  t->instanceSize = r.U32(at + 0x50);
  t->vftSlots = WORD(vft / (syskind == SYS_WIN64 ? 8 : 4));
  if (guid != -1 && !ReadGuid(r, guid, &t->guid)) return false;
  if (!ReadName(r, name, &t->name) || !ReadString(r, doc, &t->doc)) return false;
  if (!CheckMembers(r, memberOffset, unsigned(t->funcs) + t->vars)) return false;
  switch (t->kind) {
    case TKIND_COCLASS:
      return ReadImplChain(r, datatype, impls, &t->impls);
    case TKIND_INTERFACE:
    case TKIND_DISPATCH:
      if (impls > 1) return false;
      if (impls) t->impls.push_back(ImplType{HREFTYPE(datatype), 0});
      return true;
    case TKIND_ALIAS:
      return ReadAlias(r, datatype, &t->alias);
    default:
      return true;
  }
}

HRESULT Read(Reader &r, LibraryRecord *out) {
  if (!r.Fits(0, 8)) return TYPE_E_INVDATAREAD;
  if (r.U32(4) != kVersion) return TYPE_E_UNSUPFORMAT;
  if (!r.Fits(0, kHeaderSize)) return TYPE_E_INVDATAREAD;
  const uint32_t varFlags = r.U32(0x14), libVersion = r.U32(0x18), importCount = r.U32(0x50);
  const int32_t typeCount = r.I32(0x20);

  if ((varFlags & 0xF) > SYS_WIN64) return TYPE_E_INVDATAREAD;
  const uint64_t offsets = kHeaderSize + (varFlags & kHasHelpDll ? 4 : 0);
  if (typeCount < 0 || !r.Fits(offsets, 4ull * uint64_t(typeCount))) return TYPE_E_INVDATAREAD;
  if (!r.ReadDirectory(offsets + 4ull * uint64_t(typeCount))) return TYPE_E_INVDATAREAD;

  out->syskind = SYSKIND(varFlags & 0xF);
  out->lcid = r.U32(0x10);
  out->major = WORD(libVersion & 0xFFFF);
  out->minor = WORD(libVersion >> 16);
  out->flags = WORD(r.U32(0x1C));
  out->helpContext = r.U32(0x2C);
  if (!ReadGuid(r, r.I32(0x08), &out->guid) || !ReadName(r, r.I32(0x38), &out->name) ||
      !ReadString(r, r.I32(0x24), &out->doc) || !ReadString(r, r.I32(0x3C), &out->helpFile))
    return TYPE_E_INVDATAREAD;

  // Imports {flags, file, guid} refer to files {guid, lcid, version, size, name}.
  const Range &imports = r.segment(kImpInfos);
  if (importCount > (imports.present ? imports.length / 12 : 0)) return TYPE_E_INVDATAREAD;
  for (uint32_t i = 0; i < importCount; ++i) {
    uint64_t at;
    if (!r.InSegment(kImpFiles, r.I32(imports.offset + 12ull * i + 4), 14, &at)) return TYPE_E_INVDATAREAD;
  }
  if (!CheckHash(r, kGuidHash, kGuids, kGuidEntrySize) || !CheckHash(r, kNameHash, kNames, 12))
    return TYPE_E_INVDATAREAD;

  if (uint64_t(typeCount) * kTypeInfoSize > r.segment(kTypeInfos).length) return TYPE_E_INVDATAREAD;
  out->types.resize(size_t(typeCount));
  for (int32_t i = 0; i < typeCount; ++i) {
    if (!ReadType(r, r.I32(offsets + 4ull * uint64_t(i)), out->syskind, &out->types[size_t(i)]))
      return TYPE_E_INVDATAREAD;
  }
  return S_OK;
}

}  // namespace

bool IsTypeLibrary(const uint8_t *data, size_t size) {
  const Reader r(data, size);
  return r.Fits(0, 4) && r.U32(0) == kMagic;
}

HRESULT ReadLibrary(const uint8_t *data, size_t size, LibraryRecord *out) {
  if (!IsTypeLibrary(data, size)) return TYPE_E_CANTLOADLIBRARY;
  try {
    Reader reader(data, size);
    return Read(reader, out);
  } catch (const std::bad_alloc &) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace typelib
