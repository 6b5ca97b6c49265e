// Writing regedit files ("Windows Registry Editor Version 5.00").
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "regedit_ops.h"

namespace tools {

// The text of a version 5.00 regedit file holding `ops`, with CRLF line ends:
// the header and a blank line, then for each CreateKey or DeleteKey op its key
// line, one line for each value op after it, and a blank line. Values are
// written so that reading gives the same bytes back: a REG_SZ as "text" only
// when it is one NUL-terminated line (or empty: no data reads back as a lone
// NUL, the same empty string), a REG_DWORD as dword: only when it has four
// bytes, everything else as hex(N): bytes wrapped at 80 columns. Names must
// be writable (KeyWithUnwritableName).
std::u16string RegeditText(const std::vector<RegeditOp> &ops);

// The key of the first op whose key or value name holds a CR or LF. A regedit
// file cannot carry such a name: the break would end its line, and what
// follows would be read as lines of their own (a key line, a deletion). Call
// it before writing; nullopt when every name can be written.
std::optional<std::u16string> KeyWithUnwritableName(const std::vector<RegeditOp> &ops);

// RegeditText as the bytes of a file: UTF-16LE after a byte-order mark.
std::string RegeditFileBytes(const std::vector<RegeditOp> &ops);

}  // namespace tools
