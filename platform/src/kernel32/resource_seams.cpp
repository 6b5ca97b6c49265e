#include "kernel32/resource_seams.h"

#include <cstdio>

#include "core/seams_internal.h"

namespace platform_resources {
namespace {

std::string Render(LPCWSTR id) {
  if (IS_INTRESOURCE(id)) return "#" + std::to_string(reinterpret_cast<ULONG_PTR>(id));
  return seams::Utf8(id);
}

}  // namespace

std::string SeamSubject(LPCWSTR type, LPCWSTR name) { return Render(type) + "/" + Render(name); }

std::string SeamHandle(const void *handle) {
  if (!handle) return "(null)";
  char text[32];
  std::snprintf(text, sizeof text, "%p", handle);
  return text;
}

}  // namespace platform_resources
