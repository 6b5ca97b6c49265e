// Splitting of a Windows command line into arguments.
#pragma once
#include <string>
#include <vector>

namespace shell {

// Splits parameters into arguments by the Windows command-line rules: blanks
// (space, tab) separate arguments outside quotation marks; 2n backslashes
// before a quotation mark give n backslashes and the mark opens or closes a
// quoted part, 2n+1 give n backslashes and a literal mark; other backslashes
// are literal; inside a quoted part "" gives one literal mark. A quoted empty
// part ("") is an empty argument.
std::vector<std::u16string> SplitCommandLine(const std::u16string &parameters);

}  // namespace shell
