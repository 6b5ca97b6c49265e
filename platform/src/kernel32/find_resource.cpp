// FindResourceW and FindResourceExW: a resource by type, name and language.
#include <cstdio>

#include "core/seams_internal.h"
#include "kernel32/case_fold.h"
#include "kernel32/resource_image.h"
#include "kernel32/resource_seams.h"

namespace platform_resources {
namespace {

constexpr WORD kNeutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
constexpr WORD kEnglishUs = 0x0409;

HRSRC Fail(DWORD error) {
  SetLastError(error);
  return nullptr;
}

// What a type or name argument asks for: an integer id, "#<decimal>" as that
// integer, or a text. Returns false for a "#" form that is no id up to 65535.
bool Wanted(LPCWSTR argument, ResourceName *out) {
  if (IS_INTRESOURCE(argument)) {
    out->id = WORD(reinterpret_cast<ULONG_PTR>(argument));
    return true;
  }
  if (argument[0] != u'#') {
    out->isText = true;
    out->text = argument;
    return true;
  }
  DWORD value = 0;
  size_t i = 1;
  for (; argument[i]; ++i) {
    if (argument[i] < u'0' || argument[i] > u'9' || i > 5) return false;
    value = value * 10 + DWORD(argument[i] - u'0');
  }
  if (i == 1 || value > 0xFFFF) return false;
  out->id = WORD(value);
  return true;
}

bool Same(const ResourceName &a, const ResourceName &b) {
  if (a.isText != b.isText) return false;
  if (!a.isText) return a.id == b.id;
  if (a.text.size() != b.text.size()) return false;
  for (size_t i = 0; i < a.text.size(); ++i)
    if (platform_case::Lower(a.text[i]) != platform_case::Lower(b.text[i])) return false;
  return true;
}

// The language when the caller names none: the thread's language, then the
// neutral language, then English (United States), then the first in the file.
const ResourceRecord *PickLanguage(const std::vector<const ResourceRecord *> &candidates) {
  const WORD preferred[] = {LANGIDFROMLCID(GetThreadLocale()), kNeutral, kEnglishUs};
  for (WORD language : preferred)
    for (const ResourceRecord *r : candidates)
      if (r->language == language) return r;
  return candidates.front();
}

// `anyLanguage`: FindResourceW, or FindResourceExW asked for the neutral
// language, which stands for the thread's language and its fallbacks.
HRSRC Find(HMODULE module, LPCWSTR type, LPCWSTR name, bool anyLanguage, WORD language) {
  ResourceName wantedType, wantedName;
  if (!Wanted(type, &wantedType) || !Wanted(name, &wantedName)) return Fail(ERROR_INVALID_PARAMETER);
  std::shared_ptr<const ResourceImage> image;
  if (DWORD error = ResourcesOf(module, &image)) return Fail(error);
  if (image->error) return Fail(image->error);
  bool typeSeen = false;
  std::vector<const ResourceRecord *> candidates;
  for (const ResourceRecord &r : image->records) {
    if (!Same(r.type, wantedType)) continue;
    typeSeen = true;
    if (Same(r.name, wantedName)) candidates.push_back(&r);
  }
  if (!typeSeen) return Fail(ERROR_RESOURCE_TYPE_NOT_FOUND);
  if (candidates.empty()) return Fail(ERROR_RESOURCE_NAME_NOT_FOUND);
  if (anyLanguage) return image->Handle(*PickLanguage(candidates));
  for (const ResourceRecord *r : candidates)
    if (r->language == language) return image->Handle(*r);
  return Fail(ERROR_RESOURCE_LANG_NOT_FOUND);
}

}  // namespace
}  // namespace platform_resources

HRSRC WINAPI FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType) {
  using namespace platform_resources;
  uint32_t code = 0;
  if (seams::Enter("FindResourceW", SeamSubject(lpType, lpName), "module=" + SeamHandle(hModule), &code))
    return Fail(code);
  return Find(hModule, lpType, lpName, true, 0);
}

HRSRC WINAPI FindResourceExW(HMODULE hModule, LPCWSTR lpType, LPCWSTR lpName, WORD wLanguage) {
  using namespace platform_resources;
  char language[16];
  std::snprintf(language, sizeof language, "0x%04X", wLanguage);
  uint32_t code = 0;
  if (seams::Enter("FindResourceExW", SeamSubject(lpType, lpName),
                   "module=" + SeamHandle(hModule) + " language=" + language, &code))
    return Fail(code);
  return Find(hModule, lpType, lpName, wLanguage == kNeutral, wLanguage);
}
