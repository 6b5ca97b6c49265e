// UTF-8 and UTF-16 transcoding with the Windows rules for ill-formed input:
// the one converter of the substitute.
#pragma once
#include <string>
#include <string_view>

namespace platform_utf {

// Appends the UTF-16 form of `in` to `out`. Each maximal ill-formed subsequence
// becomes U+FFFD, unless `strict`, in which case the function returns false
// (with `out` partly written) at the first one.
bool Utf8ToUtf16(std::string_view in, std::u16string &out, bool strict);

// Appends the UTF-8 form of `in` to `out`. Each unpaired surrogate becomes
// U+FFFD, unless `strict`, in which case the function returns false at the first one.
bool Utf16ToUtf8(std::u16string_view in, std::string &out, bool strict);

// Strict conversions of paths and names handed to the host system, so that
// none is silently altered: *out becomes the whole text converted, or the
// function returns false (leaving *out unspecified) for ill-formed input. A
// null text is empty.
bool ToUtf8(const char16_t *text, std::string *out);
bool ToUtf8(std::u16string_view text, std::string *out);
bool ToUtf16(std::string_view text, std::u16string *out);

}  // namespace platform_utf
