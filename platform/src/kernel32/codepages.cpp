#include "kernel32/codepages.h"

#include <cstdio>
#include <map>
#include <utility>

#include "kernel32/locale_internal.h"

namespace platform_codepages {
namespace {

struct Named {
  UINT codePage;
  const char *name;
};

constexpr Named kNamed[] = {
    {437, "CP437"},     {737, "CP737"},     {775, "CP775"},     {850, "CP850"},       {852, "CP852"},
    {855, "CP855"},     {857, "CP857"},     {860, "CP860"},     {861, "CP861"},       {862, "CP862"},
    {863, "CP863"},     {864, "CP864"},     {865, "CP865"},     {866, "CP866"},       {869, "CP869"},
    {874, "CP874"},     {932, "CP932"},     {936, "CP936"},     {949, "CP949"},       {950, "CP950"},
    {1250, "CP1250"},   {1251, "CP1251"},   {1252, "CP1252"},   {1253, "CP1253"},     {1254, "CP1254"},
    {1255, "CP1255"},   {1256, "CP1256"},   {1257, "CP1257"},   {1258, "CP1258"},     {1361, "CP1361"},
    {10000, "MACINTOSH"}, {20127, "ANSI_X3.4-1968"}, {20866, "KOI8-R"}, {21866, "KOI8-U"},
    {28591, "ISO-8859-1"}, {28592, "ISO-8859-2"}, {28593, "ISO-8859-3"}, {28594, "ISO-8859-4"},
    {28595, "ISO-8859-5"}, {28596, "ISO-8859-6"}, {28597, "ISO-8859-7"}, {28598, "ISO-8859-8"},
    {28599, "ISO-8859-9"}, {28603, "ISO-8859-13"}, {28605, "ISO-8859-15"}, {50220, "ISO-2022-JP"},
    {51932, "EUC-JP"},  {51936, "EUC-CN"},  {51949, "EUC-KR"},  {54936, "GB18030"},  {65000, "UTF-7"},
};

#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr const char *kUtf16 = "UTF-16LE";
#else
constexpr const char *kUtf16 = "UTF-16BE";
#endif

// Descriptors are not safe to share between threads, so each thread keeps its own.
struct Cache {
  std::map<std::pair<UINT, bool>, iconv_t> open;
  ~Cache() {
    for (auto &entry : open)
      if (entry.second != iconv_t(-1)) iconv_close(entry.second);
  }
};

thread_local Cache cache;

}  // namespace

UINT Resolve(UINT codePage) {
  UINT ansi = 1252, oem = 437;
  switch (codePage) {
    case CP_ACP:
      platform_locale::CodePagesOf(platform_locale::SystemDefault(), &ansi, nullptr);
      return ansi;
    case CP_OEMCP:
      platform_locale::CodePagesOf(platform_locale::SystemDefault(), nullptr, &oem);
      return oem;
    case CP_MACCP:
      return 10000;
    case CP_THREAD_ACP:
      platform_locale::CodePagesOf(GetThreadLocale(), &ansi, nullptr);
      return ansi;
    default:
      return codePage;
  }
}

const char *IconvName(UINT codePage) {
  for (const Named &n : kNamed)
    if (n.codePage == codePage) return n.name;
  return nullptr;
}

bool MapsC1(UINT codePage) { return codePage == 874 || (codePage >= 1250 && codePage <= 1258); }

iconv_t Converter(UINT codePage, bool toUtf16) {
  auto key = std::make_pair(codePage, toUtf16);
  auto it = cache.open.find(key);
  if (it == cache.open.end()) {
    const char *name = IconvName(codePage);
    iconv_t cd = name ? (toUtf16 ? iconv_open(kUtf16, name) : iconv_open(name, kUtf16)) : iconv_t(-1);
    it = cache.open.emplace(key, cd).first;
  }
  if (it->second != iconv_t(-1)) iconv(it->second, nullptr, nullptr, nullptr, nullptr);
  return it->second;
}

}  // namespace platform_codepages
