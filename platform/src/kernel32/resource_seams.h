// How the resource services render their arguments for the test seams.
#pragma once
#include <windows.h>

#include <string>

namespace platform_resources {

// "TYPE/NAME": each an integer id as "#101", a text as itself.
std::string SeamSubject(LPCWSTR type, LPCWSTR name);

// A module or resource handle as "%p", a null one as "(null)".
std::string SeamHandle(const void *handle);

}  // namespace platform_resources
