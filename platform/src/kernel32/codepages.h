// Windows code pages as the conversion services see them.
#pragma once
#include <windows.h>

#include <iconv.h>

namespace platform_codepages {

// CP_ACP, CP_OEMCP, CP_MACCP and CP_THREAD_ACP resolved to a concrete code page
// for the calling thread; other values unchanged.
UINT Resolve(UINT codePage);

// The iconv name of a concrete code page other than UTF-8, or null when the
// substitute does not support it.
const char *IconvName(UINT codePage);

// Whether the code page is one of the single-byte Windows pages whose unassigned
// bytes 0x80..0x9F stand for the C1 controls of the same value.
bool MapsC1(UINT codePage);

// A conversion descriptor between the code page and UTF-16 in host order, reset
// to its initial state, owned by the calling thread's cache (never close it);
// (iconv_t)-1 when iconv cannot convert that code page.
iconv_t Converter(UINT codePage, bool toUtf16);

}  // namespace platform_codepages
