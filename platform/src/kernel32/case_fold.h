// Simple case folding of UTF-16 units, shared by the case-insensitive services.
#pragma once

namespace platform_case {

// The lower-case form of one UTF-16 unit under simple (one-to-one) folding:
// ASCII, Latin-1, Latin Extended-A and Additional, Greek, Cyrillic, Armenian and
// the full-width Latin letters. Units without a lower-case form come back unchanged.
char16_t Lower(char16_t c);

}  // namespace platform_case
