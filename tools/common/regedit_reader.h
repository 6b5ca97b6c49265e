// Reading regedit files: "Windows Registry Editor Version 5.00", "REGEDIT4"
// and the older "REGEDIT" (lines "HKEY_CLASSES_ROOT\key = text"), in UTF-16LE
// with a byte-order mark or in UTF-8 with or without one.
#pragma once
#include <string>
#include <vector>

#include "regedit_ops.h"

namespace tools {

// A line that was left out, numbered from 1 (the header).
struct RegeditSkip {
  size_t line = 0;
  std::string reason;  // UTF-8, e.g. "unknown root key"
};

struct RegeditParse {
  std::vector<RegeditOp> ops;  // in file order, each with its line
  std::vector<RegeditSkip> skipped;
  // Lines of a UTF-8 file with bytes that are not UTF-8, each read as U+FFFD;
  // the lines are read on with those characters.
  std::vector<size_t> notUtf8;
};

// Parses a regedit file's bytes into *out. The header may have blanks around
// it. Hex data continues on the next line after ",\"; blank lines and lines
// starting with ';' or '#' are ignored, and ';' starts a comment after a value.
// Every other line that does not parse, and every value line without a valid
// key line before it, is skipped and listed in out->skipped. In a REGEDIT4
// file the bytes of hex(2) and hex(7) values are ANSI text and are widened.
// A "REGEDIT" header of another version ("REGEDIT5") is accepted and nothing
// after it is read (one skip for line 1). Returns false with *reason (UTF-8)
// when the file is refused as a whole: its first line is no header, or its
// UTF-16 text has an odd byte count; *out is then empty.
bool ParseRegedit(const std::string &bytes, RegeditParse *out, std::string *reason);

}  // namespace tools
