// Counting and failing the heap allocations that one loaded library makes
// itself: operator new in all its forms, malloc, calloc and realloc called
// from the library's own code. The test executable replaces those functions,
// and a replacement in the executable is what the library's calls reach too.
#pragma once
#include <string>

namespace library_allocations {

// False where the replacement is not built (under AddressSanitizer or
// ThreadSanitizer, which
// brings its own allocator and leak checker): then nothing is counted.
bool Available();

// Starts watching the library whose file is `path` (already loaded): counts
// from zero, fails nothing, forgets the blocks it tracked. False when the
// library is not mapped.
bool Watch(const std::string &path);
void StopWatching();

// Allocations made by the library's code since Watch, failed ones included.
unsigned Count();
// Makes the Nth allocation counted from now fail (0: none): the throwing
// operator new raises std::bad_alloc, everything else returns null.
void FailNth(unsigned n);
// Blocks the library allocated while watched and nobody has freed since.
unsigned Live();

}  // namespace library_allocations
