// The system default locale and each thread's locale.
#include <winnls.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "core/seams_internal.h"
#include "kernel32/locale_internal.h"
#include "platform_seams.h"

namespace platform_locale {
namespace {

constexpr LCID kEnglishUs = 0x0409;

// TOVIN_SYSTEM_LOCALE (hex, e.g. "0411") chooses the system default for host programs.
LCID InitialSystemDefault() {
  const char *text = std::getenv("TOVIN_SYSTEM_LOCALE");
  if (!text || !*text) return kEnglishUs;
  char *end = nullptr;
  unsigned long value = std::strtoul(text, &end, 16);
  if (*end || !CodePagesOf(static_cast<LCID>(value), nullptr, nullptr)) return kEnglishUs;
  return static_cast<LCID>(value);
}

std::atomic<LCID> &systemDefault() {
  static std::atomic<LCID> lcid{InitialSystemDefault()};
  return lcid;
}

// 0 = not set: the thread follows the user default, which is the system default.
thread_local LCID threadLocale = 0;

[[maybe_unused]] const bool kResetsWithSeams = (seams::OnReset(&ResetDefaults), true);

}  // namespace

LCID SystemDefault() { return systemDefault().load(); }

LCID Resolve(LCID lcid) {
  if (lcid == LOCALE_SYSTEM_DEFAULT || lcid == LOCALE_USER_DEFAULT || lcid == LOCALE_NEUTRAL) return SystemDefault();
  return lcid;
}

void ResetDefaults() {
  systemDefault().store(kEnglishUs);
  threadLocale = 0;
}

}  // namespace platform_locale

namespace seams {

void SetSystemDefaultLocale(uint32_t lcid) { platform_locale::systemDefault().store(lcid); }

}  // namespace seams

LCID WINAPI GetSystemDefaultLCID(void) { return platform_locale::SystemDefault(); }

LCID WINAPI GetUserDefaultLCID(void) { return platform_locale::SystemDefault(); }

LCID WINAPI GetThreadLocale(void) {
  using platform_locale::threadLocale;
  return threadLocale ? threadLocale : platform_locale::SystemDefault();
}

BOOL WINAPI SetThreadLocale(LCID Locale) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", Locale);
  uint32_t code = 0;
  if (seams::Enter("SetThreadLocale", text, "", &code)) {
    SetLastError(code);
    return FALSE;
  }
  LCID resolved = platform_locale::Resolve(Locale);
  if (!platform_locale::CodePagesOf(resolved, nullptr, nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  platform_locale::threadLocale = resolved;
  return TRUE;
}

UINT WINAPI GetACP(void) {
  UINT ansi = 1252;
  platform_locale::CodePagesOf(platform_locale::SystemDefault(), &ansi, nullptr);
  return ansi;
}

UINT WINAPI GetOEMCP(void) {
  UINT oem = 437;
  platform_locale::CodePagesOf(platform_locale::SystemDefault(), nullptr, &oem);
  return oem;
}
