// Modules with made-up resources, for tests: compiled-resource (.res) bytes
// built from a list of entries, and minimal ELF files carrying one section, so
// a test can write a module with any resources, or a damaged one.
#pragma once
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace testing_resources {

// A resource type or name: an integer id, or a string when `text` is non-empty.
struct ResourceId {
  ResourceId(int number) : id(uint16_t(number)) {}
  ResourceId(const char16_t *name) : text(name) {}
  ResourceId(std::u16string name) : text(std::move(name)) {}
  uint16_t id = 0;
  std::u16string text;
};

struct ResourceEntry {
  ResourceId type;
  ResourceId name;
  uint16_t language = 0x0409;
  std::string bytes;
};

namespace detail {

inline void Put16(std::string &out, uint32_t v) {
  out += char(v & 0xFF);
  out += char((v >> 8) & 0xFF);
}

inline void Put32(std::string &out, uint64_t v) {
  Put16(out, uint32_t(v & 0xFFFF));
  Put16(out, uint32_t((v >> 16) & 0xFFFF));
}

inline void Put64(std::string &out, uint64_t v) {
  Put32(out, v & 0xFFFFFFFFu);
  Put32(out, v >> 32);
}

// An address-sized field: 8 bytes in ELF64, 4 in ELF32.
inline void PutAddr(std::string &out, uint64_t v, bool elf64) {
  if (elf64) Put64(out, v);
  else Put32(out, v);
}

inline void PadTo(std::string &out, size_t alignment) {
  while (out.size() % alignment) out += '\0';
}

inline void PutId(std::string &out, const ResourceId &id) {
  if (id.text.empty()) {
    Put16(out, 0xFFFF);
    Put16(out, id.id);
    return;
  }
  for (char16_t c : id.text) Put16(out, c);
  Put16(out, 0);
}

inline void PutRecord(std::string &out, const ResourceEntry &e) {
  std::string header;
  PutId(header, e.type);
  PutId(header, e.name);
  PadTo(header, 4);
  Put32(header, 0);       // DataVersion
  Put16(header, 0x1030);  // MemoryFlags: moveable, pure, discardable
  Put16(header, e.language);
  Put32(header, 0);  // Version
  Put32(header, 0);  // Characteristics
  Put32(out, e.bytes.size());
  Put32(out, header.size() + 8);
  out += header;
  out += e.bytes;
  PadTo(out, 4);
}

}  // namespace detail

// The .res bytes of `entries`, in order, after the leading empty record.
// Each record header is 32 bytes plus its string names' UTF-16 units.
inline std::string BuildRes(const std::vector<ResourceEntry> &entries) {
  std::string out("\0\0\0\0\x20\0\0\0\xff\xff\0\0\xff\xff\0\0", 16);
  out.append(16, '\0');
  for (const ResourceEntry &e : entries) detail::PutRecord(out, e);
  return out;
}

// A minimal relocatable ELF object (little endian, no program headers) laid out
// as: ELF header (64 or 52 bytes), ".shstrtab" contents, the section's bytes
// (8-aligned), then the section header table (8-aligned) of three entries:
// null, .shstrtab (index 1, e_shstrndx), and the named section (index 2).
inline std::string BuildElfWithSection(const std::string &sectionName, const std::string &bytes,
                                       bool elf64 = true) {
  using namespace detail;
  const size_t ehsize = elf64 ? 64 : 52, shentsize = elf64 ? 64 : 40;
  const std::string names = std::string("\0.shstrtab\0", 11) + sectionName + '\0';
  std::string out;
  out += "\x7f" "ELF";
  out += char(elf64 ? 2 : 1);  // class
  out += char(1);              // little endian
  out += char(1);              // version
  out.append(9, '\0');
  Put16(out, 1);                   // e_type: relocatable
  Put16(out, elf64 ? 62 : 3);      // e_machine: x86-64 or i386
  Put32(out, 1);                   // e_version
  PutAddr(out, 0, elf64);          // e_entry
  PutAddr(out, 0, elf64);          // e_phoff
  size_t shoffField = out.size();
  PutAddr(out, 0, elf64);          // e_shoff, set below
  Put32(out, 0);                   // e_flags
  Put16(out, uint32_t(ehsize));
  Put16(out, 0);                   // e_phentsize
  Put16(out, 0);                   // e_phnum
  Put16(out, uint32_t(shentsize));
  Put16(out, 3);                   // e_shnum
  Put16(out, 1);                   // e_shstrndx
  const size_t namesOffset = out.size();
  out += names;
  PadTo(out, 8);
  const size_t dataOffset = out.size();
  out += bytes;
  PadTo(out, 8);
  const size_t shoff = out.size();
  std::string field;
  PutAddr(field, shoff, elf64);
  out.replace(shoffField, field.size(), field);

  auto section = [&](uint32_t name, uint32_t type, uint64_t offset, uint64_t size) {
    Put32(out, name);
    Put32(out, type);
    PutAddr(out, 0, elf64);  // sh_flags
    PutAddr(out, 0, elf64);  // sh_addr
    PutAddr(out, offset, elf64);
    PutAddr(out, size, elf64);
    Put32(out, 0);           // sh_link
    Put32(out, 0);           // sh_info
    PutAddr(out, 1, elf64);  // sh_addralign
    PutAddr(out, 0, elf64);  // sh_entsize
  };
  section(0, 0, 0, 0);
  section(1, 3, namesOffset, names.size());        // SHT_STRTAB
  section(11, 1, dataOffset, bytes.size());        // SHT_PROGBITS
  return out;
}

// Writes `contents` to `path`, replacing the file; false when it cannot.
inline bool WriteFileBytes(const std::string &path, const std::string &contents) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(contents.data(), std::streamsize(contents.size()));
  return bool(file.flush());
}

// Writes BuildElfWithSection(sectionName, bytes, elf64) to `path`.
inline bool WriteElfWithSection(const std::string &path, const std::string &sectionName, const std::string &bytes,
                                bool elf64 = true) {
  return WriteFileBytes(path, BuildElfWithSection(sectionName, bytes, elf64));
}

}  // namespace testing_resources
