// Text shown to a person, with control characters made visible.
#pragma once
#include <string>

namespace tools {

// `text` with each control character written as a terminal's "cat -v" shows
// it: ^@ to ^_ for U+0000 to U+001F, ^? for U+007F, M-^@ to M-^_ for U+0080
// to U+009F. Everything else is kept, so a name that holds a line break or a
// terminal's escape sequence prints as one line of plain characters.
std::u16string VisibleControls(const std::u16string &text);

}  // namespace tools
