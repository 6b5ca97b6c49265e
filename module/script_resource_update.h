// Preparation of the library's path for registry scripts.
#pragma once
#include <windows.h>

// Copies `source` into `dest` (`capacity` units, terminator included) with
// every apostrophe written twice, as script text quotes it. Stops when the
// output is full; a doubled apostrophe that no longer fits is written once.
// Writes nothing for a capacity of 0; otherwise always terminates.
void DoubleApostrophes(LPWSTR dest, size_t capacity, LPCWSTR source);
