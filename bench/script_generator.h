// Registry scripts of a chosen size for the registrar's benchmarks.
#pragma once
#include <string>

namespace bench {

// A script writing `keys` keys side by side below HKCU\Software\Tovin Bench,
// each with a default string, a number, a binary value and a "%MODULE%"
// reference, as class registrations under CLSID look. Running its unregister
// pass removes all it wrote.
std::u16string GenerateScript(int keys);

}  // namespace bench
