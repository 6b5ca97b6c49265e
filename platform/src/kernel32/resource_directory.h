// The records of a compiled resource file (.res), as the resource services
// look them up.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace platform_resources {

// A resource type or name: an integer id, or a text compared ignoring case.
struct ResourceName {
  bool isText = false;
  WORD id = 0;
  std::u16string text;
};

// One resource; its data are `size` bytes at `offset` of the parsed bytes.
struct ResourceRecord {
  ResourceName type;
  ResourceName name;
  WORD language = 0;
  size_t offset = 0;
  DWORD size = 0;
};

// Parses .res bytes: the leading empty record, then DWORD-aligned records of
// header (sizes, type, name, language...) and data. Returns 0 and appends one
// record per resource, in file order, to *records; ERROR_INVALID_DATA (with
// *records unchanged) when the bytes are not such a sequence: sizes that do not
// add up or point past the end, a type or name text without its terminator
// inside the header, misaligned headers, or a missing leading record.
DWORD ParseRes(const std::string &bytes, std::vector<ResourceRecord> *records);

}  // namespace platform_resources
