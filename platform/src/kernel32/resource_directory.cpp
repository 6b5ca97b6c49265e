// Parsing compiled resource files. Every read is bounded by the record it
// belongs to, and each record is at least 32 bytes long, so the walk always
// moves forward and ends.
#include "kernel32/resource_directory.h"

namespace platform_resources {
namespace {

constexpr size_t kFixedTail = 16;  // DataVersion, MemoryFlags, LanguageId, Version, Characteristics
constexpr size_t kSmallestHeader = 8 + 4 + 4 + kFixedTail;

size_t Align4(size_t n) { return (n + 3) & ~size_t(3); }

class Reader {
 public:
  explicit Reader(const std::string &bytes) : bytes_(bytes) {}

  // Little-endian fields; callers keep `at + width` inside the bytes.
  WORD Word(size_t at) const { return WORD(uint8_t(bytes_[at]) | uint8_t(bytes_[at + 1]) << 8); }
  DWORD Dword(size_t at) const { return DWORD(Word(at)) | DWORD(Word(at + 2)) << 16; }

  // A type or name starting at *at and ending before `limit`; moves *at past it.
  bool Name(size_t *at, size_t limit, ResourceName *out) const {
    if (limit - *at < 2) return false;
    if (Word(*at) == 0xFFFF) {
      if (limit - *at < 4) return false;
      out->id = Word(*at + 2);
      *at += 4;
      return true;
    }
    out->isText = true;
    for (size_t p = *at; limit - p >= 2; p += 2) {
      WORD unit = Word(p);
      if (unit == 0) {
        *at = p + 2;
        return true;
      }
      out->text += char16_t(unit);
    }
    return false;  // no terminator inside the header
  }

 private:
  const std::string &bytes_;
};

}  // namespace

DWORD ParseRes(const std::string &bytes, std::vector<ResourceRecord> *records) {
  Reader reader(bytes);
  const size_t end = bytes.size();
  std::vector<ResourceRecord> parsed;
  for (size_t at = 0; at < end;) {
    if (end - at < 8) return ERROR_INVALID_DATA;
    DWORD dataSize = reader.Dword(at), headerSize = reader.Dword(at + 4);
    if (headerSize < kSmallestHeader || headerSize % 4 != 0 || headerSize > end - at) return ERROR_INVALID_DATA;
    const size_t headerEnd = at + headerSize, tail = headerEnd - kFixedTail;
    ResourceRecord record;
    size_t cursor = at + 8;
    if (!reader.Name(&cursor, tail, &record.type) || !reader.Name(&cursor, tail, &record.name))
      return ERROR_INVALID_DATA;
    // The header holds exactly the names, their padding and the fixed fields.
    if (Align4(cursor) != tail) return ERROR_INVALID_DATA;
    record.language = reader.Word(tail + 6);
    if (dataSize > end - headerEnd) return ERROR_INVALID_DATA;
    record.offset = headerEnd;
    record.size = dataSize;
    const bool leading = at == 0;
    if (leading && (dataSize != 0 || record.type.isText || record.name.isText || record.type.id != 0 ||
                    record.name.id != 0))
      return ERROR_INVALID_DATA;  // not a 32-bit resource file
    if (!leading) parsed.push_back(std::move(record));
    // The last record's padding may be cut off by the end of the bytes.
    const size_t dataEnd = headerEnd + dataSize;
    at = Align4(dataEnd) < end ? Align4(dataEnd) : end;
  }
  records->insert(records->end(), std::make_move_iterator(parsed.begin()), std::make_move_iterator(parsed.end()));
  return 0;
}

}  // namespace platform_resources
