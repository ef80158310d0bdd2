// UTF-8 text as the playlist meets it: checked strictly and decoded to
// UTF-16 for the wide MCI entry. Platform-free.
#pragma once
#include <stddef.h>

// Whether text (NUL-terminated) is well-formed UTF-8: no stray or missing
// continuation bytes, no overlong forms, no surrogates, nothing past U+10FFFF.
int IsUtf8(const char* text);
// Decodes well-formed UTF-8 into out (length units, NUL included); 0 when
// the text is not UTF-8 or does not fit.
int Utf8ToUtf16(const char* text, char16_t* out, size_t length);
